// A check of every text the report will hold, before a byte of it is written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "statements/statement_line_list.h"
#include "supplements/ledger_entry.h"

namespace vintor::supplements {

// The first text of the report before its ledger that no XML file can hold (a control
// character other than TAB, LF and CR: an accounting library we do not control may hand
// one out), described for the user (CP932) with where it is: the account key and field of
// a statement line, the line of the notes, the company name. Empty when every text can be
// written. The texts are looked at in report order, so the first one named is the first
// the user would meet.
std::string FindUnwritableReportText(std::string_view company_name,
                                     const statements::StatementLineList& lines,
                                     const std::vector<std::string>& note_lines);

// The same for ledger lines, naming the account, voucher number and date of the first line
// with such a text. The ledger is the last section, so its lines are checked as they are
// extracted, each part before it is written.
std::string FindUnwritableLedgerText(const LedgerEntryList& ledger);

}  // namespace vintor::supplements
