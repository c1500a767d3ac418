// The import half of the interchange format (see interchange.h): reads the tables of a
// folder in a fixed order (companies, accounts, openings, vouchers, journal, users, books,
// eras, folders, then the notes texts) and checks every row. Every faulty row of the first
// table that has one is reported, up to kMaxReportedRows; the tables after it are not read. Checks
// that need a whole table (a sub-account's main account, the accounts a formula names, the balance
// of a company's openings, a voucher's lines and balance) run when that table has been read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "books/books_data.h"
#include "books/compact_journal.h"
#include "books/interchange_row.h"
#include "books/interchange_tables.h"
#include "os/os.h"

namespace vintor::books {

class InterchangeReader {
 public:
  // The faulty rows of one table reported at most.
  static constexpr std::size_t kMaxReportedRows = 20;
  // The largest table file read: tens of millions of journal lines, more than the books of
  // any company, and a size whose text and rows still fit in memory.
  static constexpr std::uint64_t kMaxTableBytes = std::uint64_t{4} << 30;

  // os is not owned and must outlive the reader.
  InterchangeReader(os::Os& os, std::string folder) : os_(os), folder_(std::move(folder)) {}

  // One reader reads once. False with *error set (one "file:line: message" line per
  // problem); *data is then untouched.
  bool Read(BooksData* data, std::string* error);

  // The same, with the vouchers and their lines going to *journal (sealed on success)
  // instead of into *data, whose companies then have no vouchers. *journal must be new; on
  // failure it is unfit for use.
  bool Read(BooksData* data, CompactJournal* journal, std::string* error);

 private:
  using RowHandler = bool (InterchangeReader::*)(InterchangeRow& row);

  struct VoucherState {
    int line = 0;                // of the voucher in vouchers.csv
    int first_journal_line = 0;  // of its first line in journal.csv, 0 while it has none
    std::int64_t debits = 0;     // amounts plus tax
    std::int64_t credits = 0;
    // Line numbers 1 to 64 seen so far, one bit each: nearly every voucher's lines are
    // told apart here, without a set entry per journal line.
    std::uint64_t low_line_numbers = 0;
  };

  // Journal keys to voucher indexes. Keys mostly count up from 1, so those below about
  // twice the vouchers seen index a plain array (4 bytes a voucher instead of a hash node);
  // the others go to a hash map.
  class VoucherIndex {
   public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // False, changing nothing, when key is there already.
    bool Insert(std::int32_t key, std::size_t index);
    // The index of key, or kNone.
    std::size_t Find(std::int32_t key) const;

   private:
    std::vector<std::uint32_t> direct_;  // index + 1 by key; 0 for none
    std::unordered_map<std::int32_t, std::size_t> others_;
    std::size_t size_ = 0;
  };

  struct CompanyState {
    std::unordered_map<std::int32_t, std::size_t> accounts;  // key -> chart index
    VoucherIndex vouchers;                                   // journal_key -> index
    std::vector<VoucherState> voucher_states;                // parallel to the vouchers
    std::unordered_set<std::uint64_t> line_keys;  // journal_key << 32 | line, for lines > 64
    std::unordered_set<std::int32_t> opening_keys;
    // The openings on their natural sides: debit-natured accounts' amounts are debits,
    // credit-natured ones' credits (a negative amount lowers its side).
    std::int64_t opening_debits = 0;
    std::int64_t opening_credits = 0;
    int last_opening_line = 0;
    bool has_debit_tax_account = false;
    bool has_credit_tax_account = false;
  };

  // An account whose references are checked once the chart is complete.
  struct PendingAccount {
    int line = 0;
    std::size_t company = 0;
    std::size_t account = 0;
  };

  bool ReadTable(std::string_view file, const interchange::Columns& columns, RowHandler handler);
  // Reads a file of the folder as UTF-8 and converts it to CP932.
  bool LoadText(std::string_view file, std::string* cp932);
  // Reads a file of the folder as it is, refusing what is no regular file or too large.
  bool LoadBytes(std::string_view file, const std::string& path, std::string* bytes);
  bool Fail(std::string_view file, int line, std::string_view message);

  bool ReadCompany(InterchangeRow& row);
  bool ReadAccount(InterchangeRow& row);
  bool ReadOpening(InterchangeRow& row);
  bool ReadVoucher(InterchangeRow& row);
  bool ReadJournalLine(InterchangeRow& row);
  bool ReadUser(InterchangeRow& row);
  bool ReadBooksRow(InterchangeRow& row);
  bool ReadEra(InterchangeRow& row);
  bool ReadFolder(InterchangeRow& row);
  bool CheckAccountReferences();
  // Every company's openings balance: debits equal credits.
  bool CheckOpenings();
  bool CheckVouchers();
  // Gives back what the vouchers' arrays hold beyond their size, before the journal, the
  // largest table, is read. Always true.
  bool TrimVouchers();
  bool ReadNotes();

  // Sets *company to the index of data_number's company; fails the row when there is none.
  bool FindCompany(InterchangeRow& row, std::int32_t data_number, std::size_t* company);
  // Fails the row unless key names an account of the company that takes postings.
  bool CheckPostingAccount(InterchangeRow& row, std::size_t company, std::int32_t key);

  os::Os& os_;
  const std::string folder_;
  CompactJournal* journal_ = nullptr;
  std::string error_;
  BooksData data_;
  std::unordered_map<std::int32_t, std::size_t> company_index_;  // data_number -> index
  std::vector<CompanyState> states_;                             // parallel to the companies
  std::unordered_set<std::string> data_ids_;
  std::unordered_set<std::string> user_ids_;
  std::unordered_set<std::int32_t> era_ids_;
  std::unordered_set<int> folder_types_;
  std::vector<PendingAccount> pending_accounts_;
  int rows_in_books_file_ = 0;
};

}  // namespace vintor::books
