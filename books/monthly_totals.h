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
#include <vector>

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

// The totals of one company built one opening and one journal line at a time, for readers
// and writers that stream the journal instead of holding it. Every key posted or opened must
// be an account of the chart that is not a total account; a False answer names the voucher
// or account that does not fit or whose total would leave the 64-bit range, and the totals
// are then partly built.
class MonthlyTotalsBuilder {
 public:
  // accounts is the company's chart in chart order; it is not owned and must outlive the
  // builder. The totals are written into *totals, cleared first.
  MonthlyTotalsBuilder(const std::vector<Account>& accounts, TotalsByKey* totals);

  bool AddOpening(const OpeningBalance& opening, std::string* error);
  // One line of the voucher with journal_key, in month slot (SlotOfVoucher, 1-14).
  bool AddLine(std::int32_t journal_key, int slot, const JournalLine& line, std::string* error);

 private:
  enum class Side { kDebit, kCredit };
  enum class Set { kOne, kTwo };

  // Where the amounts of a key go: its own totals and, for a sub-account whose main account
  // is in the chart, the main account's. Found once per key; the totals stay in place as
  // the map grows.
  struct Target {
    const Account* account = nullptr;  // null when the chart has no such key
    AccountTotals* own = nullptr;
    std::int32_t main_key = 0;
    AccountTotals* main = nullptr;
  };

  const Account* Find(std::int32_t key) const;
  const Target& TargetOf(std::int32_t key);
  // Posts an amount to one key and, for a sub-account, to its main account as well.
  bool Post(const Target& target, std::int32_t key, int slot, Side side, Set set,
            std::int64_t amount, std::string* error);
  bool PostOne(AccountTotals* totals, std::int32_t key, int slot, Side side, Set set,
               std::int64_t amount, std::string* error);

  TotalsByKey* totals_;
  std::unordered_map<std::int32_t, const Account*> chart_;
  std::unordered_map<std::int32_t, Target> targets_;
  std::int32_t debit_tax_key_ = 0;
  std::int32_t credit_tax_key_ = 0;
};

// Computes the totals of one company with MonthlyTotalsBuilder. A voucher whose slot is 0
// (outside the period's twelve months, or an unknown period kind) is refused too.
bool ComputeMonthlyTotals(const CompanyBooks& books, TotalsByKey* totals, std::string* error);

}  // namespace vintor::books
