// The vouchers and journal lines of books kept apart from their BooksData, in a compact
// form: a large import holds a million lines here in a fraction of the memory a Voucher
// and a JournalLine (with a string of its own) per line take. Vouchers are kept per
// company in data order, lines per company and voucher index (the voucher's place in its
// company's vouchers), and both are handed out voucher by voucher.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "books/books_data.h"

namespace vintor::books {

class CompactJournal {
 public:
  // Keeps the next voucher of company `company` (its lines are not read) and returns its
  // index among the company's vouchers. Before Start.
  std::size_t AddVoucher(std::size_t company, const Voucher& voucher);

  // The vouchers kept for company (0 for a company without any).
  std::size_t VoucherCount(std::size_t company) const {
    return company < vouchers_.size() ? vouchers_[company].size() : 0;
  }
  std::size_t voucher_count() const;

  // Ends the vouchers and makes room for about `lines` lines, so their store grows once
  // instead of by doubling. Call once, after the last AddVoucher and before the first Add.
  void Start(std::size_t lines);

  // Keeps a line of voucher `voucher` (below the company's count) of company `company`.
  // Between Start and Seal.
  void Add(std::size_t company, std::size_t voucher, const JournalLine& line);

  // Groups the lines by voucher. Call once, after the last Add.
  void Seal();

  // Sets the journal key, number, date and period kind of *out to those of voucher
  // `voucher` of company `company`; its lines are left as they are.
  void FillHeader(std::size_t company, std::size_t voucher, Voucher* out) const;

  // Sets *out to that voucher with its lines, in the order they were added (after Seal).
  void Fill(std::size_t company, std::size_t voucher, Voucher* out) const;

  std::size_t size() const { return lines_.size(); }

 private:
  struct Line {
    std::int64_t debit_amount;
    std::int64_t debit_tax;
    std::int64_t credit_amount;
    std::int64_t credit_tax;
    std::int32_t line_number;
    std::int32_t debit_key;
    std::int32_t credit_key;
    std::uint32_t voucher;   // company's first voucher number + voucher index
    std::uint32_t text;      // where the description starts in the text blocks
    std::uint8_t text_size;  // descriptions are short; longer ones go to long_texts_
  };

  std::string_view TextOf(const Line& line) const;

  struct VoucherRow {
    std::int32_t journal_key;
    std::int32_t number;
    std::int32_t date;
    std::int16_t period_kind;
  };

  std::vector<std::vector<VoucherRow>> vouchers_;  // by company
  std::vector<Line> lines_;
  // Descriptions, packed into blocks that never move; none crosses a block boundary.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_in_block_ = 0;
  std::vector<std::string> long_texts_;  // text = their index when text_size is 255
  // Descriptions kept lately, to keep a repeated one once: most journals repeat a few
  // hundred texts. Cleared when large, so its memory stays small whatever the journal.
  std::unordered_map<std::string_view, std::uint32_t> recent_texts_;
  std::vector<std::uint32_t> company_first_voucher_;  // from Start, one more than companies
  // After Seal: the lines of global voucher g are order_[first_[g]] to order_[first_[g+1]-1].
  std::vector<std::uint32_t> first_;
  std::vector<std::uint32_t> order_;
};

}  // namespace vintor::books
