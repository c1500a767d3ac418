// The checks across the statements of one report: figures that two statements both show, or
// that one statement shows as the sum of others, must agree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checks/report_figures.h"

namespace vintor::checks {

// The outcome of one check. Texts are CP932.
struct CheckResult {
  std::string title;    // what was checked, e.g. "貸借対照表の貸借一致"
  bool applies = true;  // false: the report lacks what the check needs; it then passes
  bool passed = true;
  // The figures compared and, when they differ, by how much; for the ledger, one line per
  // account that fails.
  std::string detail;
};

// Every amount in a report is cut to whole yen on its own, so a total and the sum of the
// figures it is made of may differ by less than one yen per figure added: a check over a sum
// of n figures accepts a difference of at most n yen (and says so), any larger one fails.
// Figures that are copies of one amount must agree exactly.
//
//  1. Balance sheet: assets = liabilities + net assets (tolerance 2 yen).
//  2. Net income: the income statement's net income = the net income the statement of
//     changes in net assets shows (zero when it shows none). Applies with an equity statement.
//  3. Cost of goods manufactured: the cost schedule's figure = the cost of sales less the
//     items listed in it (closing inventories added back); tolerance one yen per item plus
//     one. Applies with a cost schedule.
//  4. Ledger: every account's last running balance (its opening balance when it has no
//     lines) = its closing balance, exactly. A difference is reported, never explained away:
//     lines against accounts left out of the totals are not listed in the ledger, so such a
//     difference may be those lines, and the detail says so. Applies with a ledger.
//
// The results come in this order, one per check, those that do not apply included.
std::vector<CheckResult> RunCrossChecks(const ReportFigures& figures);

// True when every result passed.
bool AllPassed(const std::vector<CheckResult>& results);

// The warning a run shows when checks failed: what failed and by how much, at most
// max_lines lines of detail per check (the rest counted); empty when every check passed.
std::string FailedChecksWarning(const std::vector<CheckResult>& results,
                                std::size_t max_lines = 10);

}  // namespace vintor::checks
