// Accumulates the monthly totals of one company (monthly_totals.h) a voucher at a time, so
// that a writer streaming a large journal into the books file never needs it whole.
// ComputeMonthlyTotals is this accumulator run over a company's openings and vouchers.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "books/books_data.h"
#include "books/monthly_totals.h"
#include "books/tax_accounts.h"

namespace vintor::books {

class TotalsAccumulator {
 public:
  // Reads the company and the chart of books, which must outlive the accumulator and stay
  // unchanged (its openings and vouchers are not read). *totals, not owned, is cleared and
  // receives the sums.
  TotalsAccumulator(const CompanyBooks& books, TotalsByKey* totals);

  // Posts the openings to slot 0 of both sets. False with *error naming the account when
  // one names no account that takes postings or a total leaves the 64-bit range; the totals
  // are then unfit for use.
  bool AddOpenings(const std::vector<OpeningBalance>& openings, std::string* error);

  // Posts every line of voucher. False with *error naming the voucher (or the account)
  // when its date or period kind has no slot, a line names an account that takes no
  // postings, or a total leaves the 64-bit range; the totals are then unfit for use.
  bool AddVoucher(const Voucher& voucher, std::string* error);

  // Posts one line of the voucher with journal_key in month slot (SlotOfVoucher, 1-14), for
  // a reader that meets the journal line by line. False as for AddVoucher.
  bool AddLine(std::int32_t journal_key, int slot, const JournalLine& line, std::string* error);

 private:
  enum class Side { kDebit, kCredit };
  enum class Set { kOne, kTwo };

  // An account of the chart with where its totals go, found once per key instead of by a
  // few lookups per amount posted.
  struct Target {
    std::int32_t key = 0;
    const Account* account = nullptr;
    bool postable = false;            // not a total account: kept here, read for every line
    Target* main = nullptr;           // the main account of a sub-account, when in the chart
    AccountTotals* totals = nullptr;  // made at the first amount posted
  };

  Target* Find(std::int32_t key);
  static bool Postable(const Target* target) { return target != nullptr && target->postable; }
  // Posts to target and, for a sub-account whose main account is in the chart, to that too.
  bool Post(Target& target, int slot, Side side, Set set, std::int64_t amount, std::string* error);
  bool PostOne(Target& target, int slot, Side side, Set set, std::int64_t amount,
               std::string* error);

  const Company& company_;
  TotalsByKey* totals_;
  // The chart by key, in two arrays: a search runs over the small one of keys alone, so
  // finding an account takes no trip through scattered hash nodes.
  std::vector<std::int32_t> keys_;  // ascending
  std::vector<Target> targets_;     // parallel to keys_
  Target* debit_tax_ = nullptr;
  Target* credit_tax_ = nullptr;
  // The slot of the last voucher's date and period kind: vouchers mostly come in date
  // order, so most share the slot of the one before.
  std::int32_t last_date_ = 0;
  std::int16_t last_period_kind_ = -1;
  int last_slot_ = 0;
};

}  // namespace vintor::books
