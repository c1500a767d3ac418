// The two consumption-tax accounts of a company's chart. Set 1 of the totals keeps amounts
// without tax: the debit tax of every journal line is posted to the account of character
// 0x80880810 (tax paid) and the credit tax to the account of character 0x80484010 (tax
// received). Their ledgers show those tax parts too.
#pragma once

#include <cstdint>
#include <vector>

#include "books/books_data.h"

namespace vintor::books {

inline constexpr std::uint32_t kDebitTaxCharacter = 0x80880810;
inline constexpr std::uint32_t kCreditTaxCharacter = 0x80484010;

struct TaxAccounts {
  std::int32_t debit_tax_key = 0;   // 0: the chart has no such account
  std::int32_t credit_tax_key = 0;  // 0: the chart has no such account
};

// The first account of the chart, in chart order, with each tax character; total accounts
// are not considered, since nothing can be posted to them.
TaxAccounts FindTaxAccounts(const std::vector<Account>& accounts);

// The key under which an account's totals also count: its main account for a sub-account
// (key rounded down to the main code x 10 000), else the key itself.
inline std::int32_t MainKeyOf(std::int32_t key) {
  return key / 10000 * 10000;
}

}  // namespace vintor::books
