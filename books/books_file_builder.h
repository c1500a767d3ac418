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
//
// The calls may be made on this thread, each doing its SQLite work before it returns, or
// from a second thread through Overlapped, which leaves the SQLite work to the thread that
// owns the database: making the rows and inserting them then share the time of two cores.
// The file and every error are the same either way.
#pragma once

#include <cstdint>
#include <functional>
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

  // Runs produce, which makes the calls above (Begin to Finish, as far as it gets), on a
  // second thread, while this thread, the one that owns the database, does the SQLite work
  // they ask for: the database is only ever used here. Returns what produce returns, with
  // its *error. The rows of WriteVoucher and WriteJournal are inserted a block at a time
  // after those calls have returned, so an insert that fails is reported by a later call of
  // the same company (EndCompany at the latest, which waits for the company's rows); the
  // other calls wait for their SQLite work. An exception thrown on either thread ends both
  // and is thrown on to the caller here. Call at most once, before any other call.
  bool Overlapped(const std::function<bool(std::string* error)>& produce, std::string* error);

  // Waits for the SQLite work asked for so far. False with *error set to the message of the
  // insert that failed when one did: a caller refusing the data for its own reason reports
  // that failure instead, as it came first. True, *error untouched, otherwise.
  bool Settle(std::string* error);

 private:
  // A posting as kept until the company ends, with the others of its main code: its line as
  // an offset from the company's first line id, which keeps it at 12 bytes for the millions
  // a large journal has.
  struct KeptPosting {
    std::uint32_t line;
    std::int32_t date;
    std::int16_t period_kind;
    std::uint8_t side;
  };

  class PostingsByCode;
  class BatchInsert;
  class RowBlock;
  class WorkQueue;
  class Utf8Texts;

  bool Failed(std::string* error);
  // Refuses the data with message, unless an insert handed on earlier failed: then that.
  bool Refuse(std::string message, std::string* error);
  // The SQLite work of BeginCompany and EndCompany; false with the message in the database.
  bool WriteFrame(const CompanyBooks& books);
  bool WriteTotals(const TotalsByKey& totals);
  // Runs job, which uses the database and leaves its message there on failure: here and
  // now, or on the database's thread while Overlapped runs, waiting for it to finish.
  // False with *error set when it (or earlier work) failed.
  bool Do(const std::function<bool()>& job, std::string* error);
  // Hands a full or final block of rows to be inserted by inserter: now, or later on the
  // database's thread. False with *error when the insert (or earlier work) failed.
  bool Insert(std::unique_ptr<BatchInsert>& inserter, RowBlock& block, std::string* error);

  SqliteDatabase& database_;
  std::unique_ptr<WorkQueue> queue_;  // while Overlapped runs
  std::unique_ptr<BatchInsert> vouchers_;
  std::unique_ptr<BatchInsert> lines_;
  std::unique_ptr<BatchInsert> postings_insert_;
  std::unique_ptr<RowBlock> voucher_rows_;
  std::unique_ptr<RowBlock> line_rows_;
  std::unique_ptr<RowBlock> posting_rows_;
  std::unique_ptr<Utf8Texts> utf8_texts_;
  std::int64_t company_id_ = 0;
  std::int64_t next_line_id_ = 1;
  std::int64_t first_line_id_ = 1;  // of the current company
  std::int64_t voucher_seq_ = 0;
  TaxAccounts tax_;
  bool any_journal_ = false;
  std::int32_t last_date_ = 0;
  std::int32_t last_key_ = 0;
  std::vector<std::int32_t> journal_keys_;
  std::unique_ptr<PostingsByCode> postings_;
  // Scratch of WriteJournal, kept to save an allocation per voucher.
  std::vector<LaidOutLine> laid_out_;
  std::vector<Posting> voucher_postings_;
};

}  // namespace vintor::books
