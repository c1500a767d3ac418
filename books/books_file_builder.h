// Fills a new, empty books file a piece at a time, so that a large journal passes through
// on its way into the file instead of being held whole (together with copies of it) first:
// the common tables, then company by company its frame (company row, chart, openings, saved
// texts), its voucher rows, its journal in ledger order and its monthly totals. Everything
// goes into one transaction that Finish commits and syncs.
//
// The calls come in this order: Begin; per company BeginCompany, WriteVoucher for each
// voucher in the company's data order and WriteJournal for each voucher in ledger order
// (the two may interleave), EndCompany; then Finish. Any false leaves *error set and the
// database unfit for use: the caller owns the file (a temporary one, moved into place only
// after Finish) and its fate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "books/books_data.h"
#include "books/journal_layout.h"
#include "books/monthly_totals.h"
#include "books/sqlite_database.h"
#include "books/tax_accounts.h"

namespace vintor::books {

class BooksFileBuilder {
 public:
  // database is not owned; it must be new and empty and outlive the builder.
  explicit BooksFileBuilder(SqliteDatabase& database);
  ~BooksFileBuilder();
  BooksFileBuilder(const BooksFileBuilder&) = delete;
  BooksFileBuilder& operator=(const BooksFileBuilder&) = delete;

  // Creates the tables, begins the transaction and writes the current user, users, eras and
  // folders of common (its companies are not read).
  bool Begin(const BooksData& common, std::string* error);

  // Starts the next company: writes its company row, chart, openings and saved texts
  // (books.vouchers is not read). books must stay alive and unchanged until EndCompany.
  bool BeginCompany(const CompanyBooks& books, std::string* error);

  // Writes the row of the company's next voucher in data order (its lines are not read).
  bool WriteVoucher(const Voucher& voucher, std::string* error);

  // Writes the lines of voucher in line-number order with the next line ids, and keeps
  // their postings for EndCompany. Vouchers come in ledger order: by date, then journal
  // key. A voucher out of that order, or a journal key the company has twice, is refused
  // ("two vouchers have the journal key N"; a repeat on another date only at EndCompany).
  bool WriteJournal(const Voucher& voucher, std::string* error);

  // Writes the company's postings and its monthly totals (as ComputeMonthlyTotals or a
  // TotalsAccumulator computed them).
  bool EndCompany(const TotalsByKey& totals, std::string* error);

  // Creates the indexes, commits, and syncs the whole file to disk.
  bool Finish(std::string* error);

 private:
  // A posting as kept until the company ends: its line as an offset from the company's
  // first line id, which keeps it at 16 bytes for the millions a large journal has. The
  // main code and the line make one number whose order is the postings table's.
  struct KeptPosting {
    static std::uint64_t Order(std::int32_t main_code, std::uint32_t line) {
      return std::uint64_t{static_cast<std::uint32_t>(main_code) ^ 0x8000'0000u} << 32 | line;
    }
    std::int32_t main_code() const {
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(order >> 32) ^ 0x8000'0000u);
    }
    std::uint32_t line() const { return static_cast<std::uint32_t>(order); }

    std::uint64_t order;
    std::int32_t date;
    std::int16_t period_kind;
    std::uint8_t side;
  };

  class BatchInsert;

  bool Failed(std::string* error);

  SqliteDatabase& database_;
  std::unique_ptr<BatchInsert> vouchers_;
  std::unique_ptr<BatchInsert> lines_;
  std::int64_t company_id_ = 0;
  std::int64_t next_line_id_ = 1;
  std::int64_t first_line_id_ = 1;  // of the current company
  std::int64_t voucher_seq_ = 0;
  TaxAccounts tax_;
  bool any_journal_ = false;
  std::int32_t last_date_ = 0;
  std::int32_t last_key_ = 0;
  std::vector<std::int32_t> journal_keys_;
  std::vector<KeptPosting> postings_;
  // Scratch of WriteJournal, kept to save an allocation per voucher.
  std::vector<LaidOutLine> laid_out_;
  std::vector<Posting> voucher_postings_;
};

}  // namespace vintor::books
