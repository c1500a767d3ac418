// The statement of changes in net assets: the equity lines of the run regrouped into twelve
// fixed columns, each with its balance at the end of the previous period, its change and its
// balance at the end of the current period.
#pragma once

#include <cstdint>

#include "statements/data_section.h"
#include "statements/statement_line_list.h"
#include "statements/xml_writer.h"

namespace vintor::supplements {

// Writes StatementChangesNetAssets at depth 2. Computes nothing from the books: it only
// regroups the totalled lines. Refers to the line list, which must outlive the section and
// is never changed by it.
class EquityStatementSection : public statements::DataSection {
 public:
  // equity_choice is written as the Select value: 1 for shareholders' equity, 2 for members'
  // equity. It changes nothing else.
  EquityStatementSection(const statements::StatementLineList& lines, std::int16_t equity_choice);

  // Always writes the section, at least its Select. False when a line cannot be written, when
  // the lines of a column cannot be collected, or when retained earnings brought forward have
  // an amount but the list holds no net income line; the output then stops where it failed.
  bool Write(statements::XmlWriter& writer) override;

 private:
  struct ColumnTotals {
    std::int64_t opening = 0;
    std::int64_t change = 0;
    std::int64_t closing = 0;
    bool IsZero() const { return opening == 0 && change == 0 && closing == 0; }
  };

  // Adds up the lines that belong to the column; false when they cannot be collected.
  bool SumColumn(int column, ColumnTotals* totals) const;
  // Writes one ChangesNetAssetsItem, or nothing when the column has no amount.
  bool WriteColumn(statements::XmlWriter& writer, int column) const;

  const statements::StatementLineList& lines_;
  std::int16_t equity_choice_;
};

}  // namespace vintor::supplements
