// A check of every text the report will hold, before a byte of it is written.
#pragma once

#include <functional>
#include <set>
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

class NonJisTextList;
// The same for ledger lines, naming the account, voucher number and date of the first line
// with such a text; empty when every text can be written. The ledger is the last section, so
// its lines are checked as they are extracted, each part before it is written. In the same
// walk, when non_jis_texts is given, the texts of the lines before that one (description,
// account names, date) are noted into it (NonJisTextList::Check and CheckName).
std::string CheckLedgerTexts(const LedgerEntryList& ledger, NonJisTextList* non_jis_texts);

// The report's texts that hold characters outside JIS X 0208 (text/jis_x0208.h), with where
// they are, for a warning: a strict Shift_JIS reader refuses such characters and electronic
// filing replaces them, while the report keeps them as they are.
class NonJisTextList {
 public:
  // At most this many places are listed in the warning; the rest are counted.
  static constexpr std::size_t kPlacesShown = 20;

  // Notes the characters of text outside JIS X 0208, if any, at where (CP932, for the user).
  void Check(std::string_view where, std::string_view text);
  // The same for a name that recurs (an account's name on every ledger line that names the
  // account, an era's in every date): only its first place is noted.
  void CheckName(std::string_view where, std::string_view name);
  // The company name, the names of every statement line and the note lines.
  void CheckStatements(std::string_view company_name, const statements::StatementLineList& lines,
                       const std::vector<std::string>& note_lines);
  std::size_t places() const { return places_; }
  // The warning for the user (CP932); empty when every text is in JIS X 0208.
  std::string Warning() const;

 private:
  std::vector<std::string> shown_;
  std::size_t places_ = 0;
  std::set<std::string, std::less<>> names_noted_;
};

}  // namespace vintor::supplements
