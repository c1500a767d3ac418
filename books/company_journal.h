// One company's journal held in memory for the ledger and voucher cursors: read in one
// sequential pass over its journal lines (in id order, which is ledger order), checked
// against its vouchers and its stored monthly totals on the way, and bucketed by account
// main code, so that walking every account's ledger costs no query and no lookup per line.
//
// Held: every line's numbers, keys, marker and period kind (72 bytes) and its description in
// blocks of text, plus four bytes per posting; for a million journal lines about 90 MB.
// The postings table of the file is not read: the postings are made from the lines by the
// writer's own rule (journal_layout.h), so nothing in the ledger depends on a derived table
// that could disagree with the journal.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "books/books_session.h"
#include "books/sqlite_database.h"
#include "books/tax_accounts.h"

namespace vintor::books {

class CompanyJournal {
 public:
  // One journal line as the cursors hand it out. Texts are CP932.
  struct Line {
    std::int32_t journal_key = 0;
    std::int32_t number = 0;  // the voucher number
    std::int32_t line_number = 0;
    std::int32_t date = 0;
    std::int32_t debit_key = 0;
    std::int32_t credit_key = 0;
    std::int32_t shown_debit_key = 0;  // the keys the ledger shows (journal_layout.h)
    std::int32_t shown_credit_key = 0;
    std::int64_t debit_amount = 0;
    std::int64_t debit_tax = 0;
    std::int64_t credit_amount = 0;
    std::int64_t credit_tax = 0;
    std::uint32_t description_offset = 0;
    std::uint8_t description_size = 0;
    std::uint8_t marker = 0;
    std::int16_t period_kind = 0;  // the voucher's
  };

  // A line as it stands in one account's ledger: the line's index and the sides (kSideDebit,
  // kSideCredit, both) on which the account appears in it.
  struct Posting {
    std::uint32_t line : 30;
    std::uint32_t side : 2;
  };

  // Reads and checks the journal of company. False with *error (English, for the damage
  // message) when a query fails, a value is of the wrong kind or does not convert, or the
  // journal disagrees with what was derived from it when the file was written: a line
  // without its voucher or with another date or number than its voucher, lines out of ledger
  // order, a compound marker or shown key other than the voucher's lines give, an amount
  // beyond what the import accepts, a journal that no longer totals, or stored monthly
  // totals other than the journal's. *journal is then left empty.
  static bool Load(SqliteDatabase& database, const CompanyRecord& company, const Chart& chart,
                   CompanyJournal* journal, std::string* error);

  const Line& line(std::size_t index) const { return lines_[index]; }
  std::string_view DescriptionOf(const Line& line) const {
    const std::string& block = description_blocks_[line.description_offset / kDescriptionBlockBytes];
    return std::string_view(block).substr(line.description_offset % kDescriptionBlockBytes,
                                          line.description_size);
  }
  // The postings of a main code in ledger order (date, journal key, line number); empty
  // when the account has none.
  std::span<const Posting> PostingsOf(std::int32_t main_code) const;
  // The lines of one voucher in line-number order; empty when the journal has no such voucher.
  std::span<const Line> LinesOfVoucher(std::int32_t journal_key) const;

 private:
  struct Bucket {
    std::int32_t main_code;
    std::uint32_t first;  // index in postings_; the bucket ends where the next one starts
  };
  struct VoucherLines {
    std::int32_t journal_key;
    std::uint32_t first;
    std::uint32_t count;
  };

  // The descriptions are kept in blocks that are filled, never grown: a block grown by
  // doubling would hold up to twice the text.
  static constexpr std::size_t kDescriptionBlockBytes = std::size_t{1} << 20;

  // Keeps a description of at most 255 bytes; answers its offset.
  std::uint32_t KeepDescription(std::string_view text);
  // Makes the postings of every line and orders them by main code and ledger order.
  void BucketPostings(const TaxAccounts& tax);

  std::vector<Line> lines_;
  std::vector<std::string> description_blocks_;
  std::vector<Posting> postings_;
  std::vector<Bucket> buckets_;         // ascending by main code
  std::vector<VoucherLines> vouchers_;  // ascending by journal key
};

}  // namespace vintor::books
