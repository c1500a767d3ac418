#include "view/account_selection.h"

#include <algorithm>

namespace vintor::view {

AccountSelection::AccountSelection(std::string argument) : argument_(std::move(argument)) {
  const bool digits =
      !argument_.empty() && argument_.size() <= 9 &&
      std::all_of(argument_.begin(), argument_.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) number_ = std::stoul(argument_);
}

bool AccountSelection::Matches(const report::LedgerAccount& account, std::size_t index) const {
  return number_ != 0 ? index + 1 == number_ : account.name == argument_;
}

void AccountSelection::Take(const report::LedgerAccount& account, std::size_t index,
                            const report::LedgerLine& line) {
  if (Matches(account, index)) lines_.push_back(line);
}

}  // namespace vintor::view
