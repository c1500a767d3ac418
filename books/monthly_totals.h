// The monthly totals of a company's accounts, computed once when the books file is written
// and kept in it, so the library's totals cursor reads them instead of the journal.
//
// Per account key and month slot (0 openings, 1-12 the fiscal months, 13 the year-end
// closing period, 14 the interim closing period) the debits and credits in two sets:
//   set 2: every line's amount plus its tax, on the account posted;
//   set 1: the amount on the account posted; the debit tax on the debit-tax account and the
//          credit tax on the credit-tax account (tax_accounts.h).
// A sub-account's totals count in its main account too. Openings go to slot 0 of both sets
// on the account's natural side.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "books/books_data.h"

namespace vintor::books {

inline constexpr int kTotalsSlots = 15;

struct AccountTotals {
  std::int64_t debit_1[kTotalsSlots] = {};
  std::int64_t credit_1[kTotalsSlots] = {};
  std::int64_t debit_2[kTotalsSlots] = {};
  std::int64_t credit_2[kTotalsSlots] = {};

  // Adds (sign +1) or subtracts (sign -1) every amount of other; false, with this object
  // partly changed, when a result would leave the 64-bit range.
  bool Accumulate(const AccountTotals& other, int sign);
  bool IsZero(int slot) const;
};

using TotalsByKey = std::unordered_map<std::int32_t, AccountTotals>;

// The month slot of a voucher: 13 for period kind 18, 14 for kind 15, else the fiscal month
// of its date (1-12). 0 when the date lies outside the period's twelve months or the period
// kind is unknown.
int SlotOfVoucher(const Voucher& voucher, const Company& company);

// Computes the totals of one company. Every key posted or opened must be an account of the
// chart that is not a total account. False with *error naming the voucher or account when
// the data does not fit or a total would leave the 64-bit range.
bool ComputeMonthlyTotals(const CompanyBooks& books, TotalsByKey* totals, std::string* error);

}  // namespace vintor::books
