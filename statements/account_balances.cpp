#include "statements/account_balances.h"

#include <algorithm>

namespace vintor::statements {

bool RangeStartsWithTheBooks(int start, int introduction_month) {
  return introduction_month == 0 ? start == 1 : start <= introduction_month;
}

void AddSlots(const std::int64_t (&amounts)[platform::kMonthSlots], int first, int last,
              FixedAmount* total) {
  first = std::max(first, 0);
  last = std::min(last, platform::kMonthSlots - 1);
  for (int slot = first; slot <= last; ++slot) {
    total->AddInPlace(FixedAmount::FromScaled(amounts[slot]));
  }
}

FixedAmount BalanceBeforeRange(const platform::StKAMOKUSUMINFO& totals, bool tax_included,
                               int start, bool starts_with_books) {
  const auto& debits = tax_included ? totals.debit_2 : totals.debit_1;
  const auto& credits = tax_included ? totals.credit_2 : totals.credit_1;
  FixedAmount debit;
  FixedAmount credit;
  if ((totals.character & kBalanceSheetBit) == kBalanceSheetBit) {
    AddSlots(debits, platform::kSlotOpening, start - 1, &debit);
    AddSlots(credits, platform::kSlotOpening, start - 1, &credit);
  } else if (starts_with_books) {
    AddSlots(debits, platform::kSlotOpening, platform::kSlotOpening, &debit);
    AddSlots(credits, platform::kSlotOpening, platform::kSlotOpening, &credit);
  }
  return totals.debit_nature == kDebitNatured ? debit.Difference(credit) : credit.Difference(debit);
}

}  // namespace vintor::statements
