// The rules by which an account's monthly totals become balances, shared by the statement
// lines and the general ledger so that both start from the same balance. (A ledger then
// ends on its line's closing balance unless it leaves out lines against accounts excluded
// from the totals, which the statements count.)
#pragma once

#include <cstdint>

#include "platform/records.h"
#include "statements/fixed_amount.h"

namespace vintor::statements {

// The account-character bit of the balance-sheet accounts.
inline constexpr std::uint32_t kBalanceSheetBit = 0x80000000;
// The debit-nature byte of an account whose balance is debit minus credit.
inline constexpr std::uint8_t kDebitNatured = 1;

// True when a range that begins with fiscal month start begins where the bookkeeping of
// this data begins: month 1 without an introduction month, else any month up to it. Only
// then do income-statement accounts start from their opening slot.
bool RangeStartsWithTheBooks(int start, int introduction_month);

// Adds the amounts of slots first to last to total. Slots outside the arrays cannot come
// from a condition the dialog built; they are left out rather than read past the record.
void AddSlots(const std::int64_t (&amounts)[platform::kMonthSlots], int first, int last,
              FixedAmount* total);

// The balance before the first month of the range, in the account's own direction: a
// balance-sheet account carries its opening slot and every month before the range; any
// other account its opening slot only when the range starts with the books.
FixedAmount BalanceBeforeRange(const platform::StKAMOKUSUMINFO& totals, bool tax_included,
                               int start, bool starts_with_books);

}  // namespace vintor::statements
