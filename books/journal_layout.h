// How the journal of a company is laid out in the books file so that the library's ledger
// and voucher cursors are plain index scans:
//   - every journal line gets an id in ledger order (date, journal key, line number), so a
//     range of ids is a range of the ledger;
//   - every line carries its voucher's compound marker and the keys the ledger shows;
//   - one posting per account main code and line tells on which side (debit 2, credit 1,
//     both 3) the account appears in that line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "books/books_data.h"
#include "books/tax_accounts.h"

namespace vintor::books {

// Sides of a posting, as the ledger line's side byte shows them.
inline constexpr std::uint8_t kPostingCredit = 1;
inline constexpr std::uint8_t kPostingDebit = 2;
inline constexpr std::uint8_t kPostingBoth = 3;

// The compound marker of a voucher with debit_lines lines that name a debit account and
// credit_lines lines that name a credit account: 0 when neither side has more than one,
// 18 for one debit and several credits, 33 for several debits and one credit, 34 for
// several on both sides (and 0 for any other, unbalanced, shape).
std::uint8_t CompoundMarker(int debit_lines, int credit_lines);

struct LaidOutLine {
  const Voucher* voucher = nullptr;
  const JournalLine* line = nullptr;
  int position = 0;  // index of the line in voucher->lines, for reading back in order
  std::uint8_t marker = 0;
  // The keys the ledger shows: a side left empty on this line shows the voucher's only
  // account on that side, when it has exactly one, so a one-to-many voucher names its
  // single counter account on every line.
  std::int32_t shown_debit_key = 0;
  std::int32_t shown_credit_key = 0;
};

struct Posting {
  std::int32_t main_code = 0;
  std::int32_t date = 0;
  std::int64_t line_id = 0;
  std::uint8_t side = 0;
  std::int16_t period_kind = kPeriodMonth;  // the voucher's: closing periods are chosen apart
};

// Lays out one voucher of a company whose chart has the tax accounts tax: appends its lines
// to *lines in line-number order (lines of equal numbers in their order in voucher.lines),
// the first with the id first_line_id, and their postings to *postings in line order (not
// yet in the postings table's order).
void LayOutVoucher(const Voucher& voucher, const TaxAccounts& tax, std::int64_t first_line_id,
                   std::vector<LaidOutLine>* lines, std::vector<Posting>* postings);

}  // namespace vintor::books
