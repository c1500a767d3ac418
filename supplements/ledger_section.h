// The general-ledger detail of the report: per account its name, section, opening and closing
// balance, and inside it the extracted ledger lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "checks/report_figures.h"
#include "statements/data_section.h"
#include "statements/statement_line.h"
#include "statements/statement_line_list.h"
#include "statements/xml_writer.h"
#include "supplements/ledger_entry.h"

namespace vintor::supplements {

// Writes QZ00780S at depth 2 with one QZ00780S01 block per statement line that has ledger
// entries. Refers to the line list and the entries or their source, which must outlive the
// section; the line list is not changed.
//
// The entries are expected grouped by account, the accounts in the order of the statement
// lines. Entries of an account that has no statement line, or that comes out of that order,
// hold the walk up: they and every entry after them are left unwritten (and a source is not
// asked for them).
class LedgerSection : public statements::DataSection {
 public:
  // A ledger extracted beforehand, all of it in entries.
  LedgerSection(const statements::StatementLineList& lines, const LedgerEntryList& entries);
  // A ledger handed out part by part while it is written (LedgerStream).
  LedgerSection(const statements::StatementLineList& lines, LedgerEntrySource& source);

  // Writes nothing and answers true when there are no entries (the ledger was not asked for,
  // or no line qualified). False when a line cannot be written or the source fails; the
  // output stops there.
  bool Write(statements::XmlWriter& writer) override;

  // When set, the ledger's figures are recorded as it is written, for the checks across the
  // statements: figures->has_ledger when the section is written, and per account in
  // figures->ledger its cleaned name, opening and closing balances, line count and last
  // running balance, in whole yen as written. Not owned.
  void set_figures(checks::ReportFigures* figures) { figures_ = figures; }

 private:
  // One QZ00780S01 block for the line, whose key is that of the entry at the cursor.
  bool WriteAccount(statements::XmlWriter& writer, const statements::StatementLine& line);
  // The QZ00780S02 blocks of the account at the cursor; leaves the cursor on the first entry
  // of the next account, or at the end. Counts them into figures, when given.
  bool WriteLedgerLines(statements::XmlWriter& writer, checks::LedgerFigures* figures);
  // The entry at the cursor, asking the source for the next part when the one held is
  // written; nullptr at the end and when the source failed (failed_ then tells).
  const LedgerEntry* AtCursor();
  // The name without its spaces, brackets and markers (CleanLabel), made once per name: a
  // ledger repeats a few thousand names over millions of lines.
  std::string_view CleanedName(std::string_view name);

  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>()(name);
    }
  };

  const statements::StatementLineList& lines_;
  LedgerEntrySource* source_ = nullptr;  // null: every entry is in *part_
  const LedgerEntryList* part_;          // the entries held, the cursor's among them
  LedgerEntryList received_;             // the source's latest part
  std::size_t cursor_ = 0;               // in *part_
  bool failed_ = false;
  checks::ReportFigures* figures_ = nullptr;
  std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> cleaned_names_;
};

}  // namespace vintor::supplements
