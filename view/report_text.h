// The report as text for a terminal: the statements, the equity statement, the notes and the
// ledger's accounts as aligned tables, then the checks.
#pragma once

#include <string>
#include <vector>

#include "checks/cross_checks.h"
#include "report/report_contents.h"
#include "view/account_selection.h"

namespace vintor::view {

// Renders CP932 text, lines ended with "\n"; the caller converts it for the terminal.
// Negative amounts carry a leading "-" (a "△" would take one column on some terminals and two
// on others, and break the alignment).
class ReportText {
 public:
  ReportText(const report::ReportContents& contents, const std::vector<checks::CheckResult>& checks)
      : contents_(contents), checks_(checks) {}

  // The company, every section in report order (the ledger as a list of its accounts), and
  // the checks.
  std::string Render() const;
  // The company, the lines of the selected account (or accounts), and the checks. The
  // selection must have been filled while the report was read.
  std::string RenderAccount(const AccountSelection& selection) const;

 private:
  std::string Heading() const;
  std::string Statement(const report::Statement& statement) const;
  std::string Equity() const;
  std::string Notes() const;
  std::string LedgerList() const;
  std::string Checks() const;

  const report::ReportContents& contents_;
  const std::vector<checks::CheckResult>& checks_;
};

}  // namespace vintor::view
