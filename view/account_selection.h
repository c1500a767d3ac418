// Which ledger account the viewer shows line by line, and the lines it collected for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/report_contents.h"

namespace vintor::view {

// An account named on the command line: by its number in the ledger (1 for the first account,
// as the viewer's ledger list numbers them; the report carries no account codes) or by its
// name as the ledger shows it. Collects the lines of every matching account while the report
// is read, so only those lines are ever held.
class AccountSelection {
 public:
  // argument: a number of digits only, else a CP932 name.
  explicit AccountSelection(std::string argument);

  // For the reader's ledger line handler.
  void Take(const report::LedgerAccount& account, std::size_t index,
            const report::LedgerLine& line);
  // True when the account at index (0-based) is the one asked for.
  bool Matches(const report::LedgerAccount& account, std::size_t index) const;

  const std::string& argument() const { return argument_; }
  const std::vector<report::LedgerLine>& lines() const { return lines_; }

 private:
  std::string argument_;
  std::size_t number_ = 0;  // 0: by name
  std::vector<report::LedgerLine> lines_;
};

}  // namespace vintor::view
