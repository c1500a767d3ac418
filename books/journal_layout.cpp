#include "books/journal_layout.h"

#include <algorithm>

#include "books/tax_accounts.h"

namespace vintor::books {
namespace {

// The side bits of one line per main code; a line touches at most four accounts.
class LineSides {
 public:
  void Add(std::int32_t key, std::uint8_t side) {
    if (key == 0) return;
    const std::int32_t main_code = key / 10000;
    for (int k = 0; k < count_; ++k) {
      if (entries_[k].main_code == main_code) {
        entries_[k].side |= side;
        return;
      }
    }
    entries_[count_++] = {main_code, side};
  }

  void Emit(const Voucher& voucher, std::int64_t line_id, std::vector<Posting>* postings) const {
    for (int k = 0; k < count_; ++k) {
      postings->push_back(
          {entries_[k].main_code, voucher.date, line_id, entries_[k].side, voucher.period_kind});
    }
  }

 private:
  struct Entry {
    std::int32_t main_code;
    std::uint8_t side;
  };
  Entry entries_[4] = {};
  int count_ = 0;
};

}  // namespace

std::uint8_t CompoundMarker(int debit_lines, int credit_lines) {
  if (debit_lines == 1 && credit_lines > 1) return 18;
  if (debit_lines > 1 && credit_lines == 1) return 33;
  if (debit_lines > 1 && credit_lines > 1) return 34;
  return 0;
}

void LayOutVoucher(const Voucher& voucher, const TaxAccounts& tax, std::int64_t first_line_id,
                   std::vector<LaidOutLine>* lines, std::vector<Posting>* postings) {
  int debit_lines = 0;
  int credit_lines = 0;
  std::int32_t only_debit_key = 0;
  std::int32_t only_credit_key = 0;
  for (const JournalLine& line : voucher.lines) {
    if (line.debit_key != 0) {
      ++debit_lines;
      only_debit_key = line.debit_key;
    }
    if (line.credit_key != 0) {
      ++credit_lines;
      only_credit_key = line.credit_key;
    }
  }
  const std::uint8_t marker = CompoundMarker(debit_lines, credit_lines);
  // Nearly every voucher comes with its lines in order; only the others need sorting.
  const auto by_number = [&](int a, int b) {
    return voucher.lines[a].line_number < voucher.lines[b].line_number;
  };
  std::int64_t line_id = first_line_id;
  const auto lay_out = [&](int position) {
    const JournalLine& line = voucher.lines[position];
    LaidOutLine laid_out;
    laid_out.voucher = &voucher;
    laid_out.line = &line;
    laid_out.position = position;
    laid_out.marker = marker;
    laid_out.shown_debit_key =
        line.debit_key == 0 && debit_lines == 1 ? only_debit_key : line.debit_key;
    laid_out.shown_credit_key =
        line.credit_key == 0 && credit_lines == 1 ? only_credit_key : line.credit_key;
    lines->push_back(laid_out);

    LineSides sides;
    sides.Add(line.debit_key, kPostingDebit);
    sides.Add(line.credit_key, kPostingCredit);
    if (line.debit_tax != 0) sides.Add(tax.debit_tax_key, kPostingDebit);
    if (line.credit_tax != 0) sides.Add(tax.credit_tax_key, kPostingCredit);
    sides.Emit(voucher, line_id++, postings);
  };
  const int count = static_cast<int>(voucher.lines.size());
  bool in_order = true;
  for (int k = 1; k < count && in_order; ++k) in_order = !by_number(k, k - 1);
  if (in_order) {
    for (int position = 0; position < count; ++position) lay_out(position);
    return;
  }
  std::vector<int> order(voucher.lines.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
  std::stable_sort(order.begin(), order.end(), by_number);
  for (const int position : order) lay_out(position);
}

}  // namespace vintor::books
