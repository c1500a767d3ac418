#include "books/monthly_totals.h"

#include "books/accounting_period.h"
#include "books/totals_accumulator.h"

namespace vintor::books {
namespace {

bool AddChecked(std::int64_t* total, std::int64_t amount) {
  return !__builtin_add_overflow(*total, amount, total);
}

bool SubtractChecked(std::int64_t* total, std::int64_t amount) {
  return !__builtin_sub_overflow(*total, amount, total);
}

}  // namespace

bool AccountTotals::Accumulate(const AccountTotals& other, int sign) {
  const auto combine = sign >= 0 ? AddChecked : SubtractChecked;
  for (int slot = 0; slot < kTotalsSlots; ++slot) {
    if (!combine(&debit_1[slot], other.debit_1[slot]) ||
        !combine(&credit_1[slot], other.credit_1[slot]) ||
        !combine(&debit_2[slot], other.debit_2[slot]) ||
        !combine(&credit_2[slot], other.credit_2[slot])) {
      return false;
    }
  }
  return true;
}

bool AccountTotals::IsZero(int slot) const {
  return debit_1[slot] == 0 && credit_1[slot] == 0 && debit_2[slot] == 0 && credit_2[slot] == 0;
}

int SlotOfVoucher(const Voucher& voucher, const Company& company) {
  switch (voucher.period_kind) {
    case kPeriodYearEnd:
      return 13;
    case kPeriodInterim:
      return 14;
    case kPeriodMonth:
      return AccountingPeriod(company.first_day, company.last_day).FiscalMonthOf(voucher.date);
    default:
      return 0;
  }
}

bool ComputeMonthlyTotals(const CompanyBooks& books, TotalsByKey* totals, std::string* error) {
  TotalsAccumulator accumulator(books, totals);
  if (!accumulator.AddOpenings(books.openings, error)) return false;
  for (const Voucher& voucher : books.vouchers) {
    if (!accumulator.AddVoucher(voucher, error)) return false;
  }
  return true;
}

}  // namespace vintor::books
