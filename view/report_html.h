// The report as one self-contained HTML page: a table of contents, every section in report
// order, the checks recomputed from the file; styled for the screen and for print, with no
// script and nothing fetched from elsewhere.
#pragma once

#include <string>
#include <vector>

#include "checks/cross_checks.h"
#include "report/report_contents.h"
#include "view/account_selection.h"

namespace vintor::view {

// Renders the page as CP932 text (the caller converts it to the UTF-8 the page declares).
// Amounts have thousands separators; a negative amount is shown as "△1,234" in red, the way
// Japanese statements mark it.
class ReportHtml {
 public:
  ReportHtml(const report::ReportContents& contents, const std::vector<checks::CheckResult>& checks)
      : contents_(contents), checks_(checks) {}

  // selection: when not null, the lines of the selected account follow the list of ledger
  // accounts; it must have been filled while the report was read.
  std::string Render(const AccountSelection* selection = nullptr) const;

  // text with & < > " written as entities. CP932 is safe to scan byte by byte here: none of
  // those four bytes is ever the trail byte of a double-byte character.
  static std::string Escape(std::string_view text);

 private:
  std::string Statement(const report::Statement& statement, const std::string& id) const;
  std::string Equity() const;
  std::string Notes() const;
  std::string Ledger(const AccountSelection* selection) const;
  std::string Checks() const;

  const report::ReportContents& contents_;
  const std::vector<checks::CheckResult>& checks_;
};

}  // namespace vintor::view
