#include "books/books_file_builder.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "books/books_schema.h"
#include "books/totals_digest.h"

namespace vintor::books {
namespace {

// The file is a temporary one that replaces the target only once complete, so it needs no
// rollback journal and no syncing while it is built. Every table is filled in the order of
// its key, so each insert appends and a page, once full, is not visited again: a modest
// page cache serves, and pages beyond it go to the file rather than piling up in memory.
constexpr char kBuildPragmas[] =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
    "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-32768;";

// The place of the description among the columns of journal_lines.
constexpr int kDescriptionColumn = 14;

// Binds the values in order, starting at parameter 1, and runs the statement.
class Row {
 public:
  explicit Row(SqliteStatement& statement) : statement_(statement) {}
  Row& Int(std::int64_t value) {
    ok_ = ok_ && statement_.Bind(++index_, value);
    return *this;
  }
  Row& Text(std::string_view cp932) {
    ok_ = ok_ && statement_.BindText(++index_, cp932);
    return *this;
  }
  bool Run() { return ok_ && statement_.Run(); }

 private:
  SqliteStatement& statement_;
  int index_ = 0;
  bool ok_ = true;
};

}  // namespace

// Inserts the rows of a large table many at a time: a statement of kRows rows runs for each
// full batch, so SQLite's work per statement (starting it, opening the table, finishing) is
// shared by many rows; the rows of a last, partial batch go one at a time.
class BooksFileBuilder::BatchInsert {
 public:
  static constexpr int kRows = 32;

  // columns values per row; text_column is the one column holding a text, or -1.
  BatchInsert(SqliteDatabase& database, std::string_view table, int columns, int text_column)
      : columns_(columns), text_column_(text_column) {
    const auto statement = [&](int rows) {
      std::string sql = "INSERT INTO " + std::string(table) + " VALUES";
      for (int row = 0; row < rows; ++row) {
        sql += row == 0 ? "(" : ",(";
        for (int column = 0; column < columns; ++column) sql += column == 0 ? "?" : ",?";
        sql += ")";
      }
      return database.Prepare(sql);
    };
    batch_ = statement(kRows);
    single_ = statement(1);
    values_.resize(static_cast<std::size_t>(kRows * columns));
    texts_.resize(kRows);
  }

  bool valid() const { return batch_.valid() && single_.valid(); }

  // The values of the next row in column order, the text where text_column is.
  std::int64_t* NextRow() { return &values_[static_cast<std::size_t>(rows_ * columns_)]; }
  void SetText(std::string_view cp932) { texts_[static_cast<std::size_t>(rows_)].assign(cp932); }

  // Ends the row begun with NextRow; writes the batch when it is full.
  bool EndRow() {
    if (++rows_ < kRows) return true;
    return Write(batch_, 0, kRows) && Reset();
  }

  // Writes the rows of a partial batch.
  bool Flush() {
    for (int row = 0; row < rows_; ++row) {
      if (!Write(single_, row, 1)) return false;
    }
    return Reset();
  }

 private:
  bool Reset() {
    rows_ = 0;
    return true;
  }

  bool Write(SqliteStatement& statement, int first_row, int rows) {
    int parameter = 0;
    for (int row = first_row; row < first_row + rows; ++row) {
      const std::int64_t* values = &values_[static_cast<std::size_t>(row * columns_)];
      for (int column = 0; column < columns_; ++column) {
        const bool bound =
            column == text_column_
                ? statement.BindText(++parameter, texts_[static_cast<std::size_t>(row)])
                : statement.Bind(++parameter, values[column]);
        if (!bound) return false;
      }
    }
    return statement.Run();
  }

  const int columns_;
  const int text_column_;
  SqliteStatement batch_;
  SqliteStatement single_;
  std::vector<std::int64_t> values_;
  std::vector<std::string> texts_;
  int rows_ = 0;
};

BooksFileBuilder::BooksFileBuilder(SqliteDatabase& database) : database_(database) {}

BooksFileBuilder::~BooksFileBuilder() = default;

bool BooksFileBuilder::Failed(std::string* error) {
  *error = database_.LastError();
  return false;
}

bool BooksFileBuilder::Begin(const BooksData& common, std::string* error) {
  if (!database_.Execute(kBuildPragmas) || !CreateBooksTables(database_) ||
      !database_.Execute("BEGIN")) {
    return Failed(error);
  }
  SqliteStatement setting = database_.Prepare("INSERT INTO settings VALUES('current_user', ?)");
  SqliteStatement user = database_.Prepare("INSERT INTO users VALUES(?, ?, ?, ?, ?)");
  SqliteStatement era = database_.Prepare("INSERT INTO eras VALUES(?, ?, ?, ?)");
  SqliteStatement folder = database_.Prepare("INSERT INTO folders VALUES(?, ?, ?)");
  vouchers_ = std::make_unique<BatchInsert>(database_, "vouchers", 6, -1);
  lines_ = std::make_unique<BatchInsert>(database_, "journal_lines", 17, kDescriptionColumn);
  if (!setting.valid() || !user.valid() || !era.valid() || !folder.valid() || !vouchers_->valid() ||
      !lines_->valid()) {
    return Failed(error);
  }
  if (!Row(setting).Text(common.current_user).Run()) return Failed(error);
  std::int64_t seq = 0;
  for (const User& u : common.users) {
    if (!Row(user)
             .Int(++seq)
             .Text(u.user_id)
             .Text(u.name)
             .Int(u.selected_first)
             .Int(u.selected_data)
             .Run()) {
      return Failed(error);
    }
  }
  seq = 0;
  for (const Era& e : common.eras) {
    if (!Row(era).Int(++seq).Int(e.id).Int(e.first_day).Text(e.name).Run()) return Failed(error);
  }
  seq = 0;
  for (const Folder& f : common.folders) {
    if (!Row(folder).Int(++seq).Int(f.type).Text(f.path).Run()) return Failed(error);
  }
  return true;
}

bool BooksFileBuilder::BeginCompany(const CompanyBooks& books, std::string* error) {
  ++company_id_;
  first_line_id_ = next_line_id_;
  voucher_seq_ = 0;
  tax_ = FindTaxAccounts(books.accounts);
  any_journal_ = false;
  journal_keys_.clear();
  postings_.clear();

  const Company& c = books.company;
  SqliteStatement company =
      database_.Prepare("INSERT INTO companies VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!company.valid() || !Row(company)
                               .Int(company_id_)
                               .Int(c.data_number)
                               .Text(c.data_id)
                               .Text(c.name)
                               .Int(c.first_day)
                               .Int(c.last_day)
                               .Int(c.has_cost_schedule)
                               .Int(c.interim_settlement)
                               .Int(c.introduction_month)
                               .Int(c.companies_act)
                               .Int(c.tax_included)
                               .Run()) {
    return Failed(error);
  }

  SqliteStatement account =
      database_.Prepare("INSERT INTO accounts VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!account.valid()) return Failed(error);
  std::int64_t seq = 0;
  for (const Account& a : books.accounts) {
    if (!Row(account)
             .Int(company_id_)
             .Int(++seq)
             .Int(a.key)
             .Text(a.formal_name)
             .Text(a.statement_name)
             .Int(a.character)
             .Int(a.kind)
             .Int(a.debit_nature)
             .Int(a.no_ledger_1)
             .Int(a.no_ledger_2)
             .Text(a.formula)
             .Run()) {
      return Failed(error);
    }
  }

  SqliteStatement opening = database_.Prepare("INSERT INTO openings VALUES(?, ?, ?, ?)");
  if (!opening.valid()) return Failed(error);
  seq = 0;
  for (const OpeningBalance& o : books.openings) {
    if (!Row(opening).Int(company_id_).Int(++seq).Int(o.key).Int(o.amount).Run()) {
      return Failed(error);
    }
  }

  SqliteStatement saved = database_.Prepare("INSERT INTO saved_texts VALUES(?, ?, ?)");
  if (!saved.valid()) return Failed(error);
  for (const auto& [kind, text] : books.saved_texts) {
    if (!Row(saved).Int(company_id_).Int(kind).Text(text).Run()) return Failed(error);
  }
  return true;
}

bool BooksFileBuilder::WriteVoucher(const Voucher& v, std::string* error) {
  std::int64_t* row = vouchers_->NextRow();
  row[0] = company_id_;
  row[1] = ++voucher_seq_;
  row[2] = v.journal_key;
  row[3] = v.number;
  row[4] = v.date;
  row[5] = v.period_kind;
  return vouchers_->EndRow() || Failed(error);
}

bool BooksFileBuilder::WriteJournal(const Voucher& voucher, std::string* error) {
  if (any_journal_ && (voucher.date < last_date_ ||
                       (voucher.date == last_date_ && voucher.journal_key <= last_key_))) {
    *error = voucher.date == last_date_ && voucher.journal_key == last_key_
                 ? "two vouchers have the journal key " + std::to_string(voucher.journal_key)
                 : "voucher " + std::to_string(voucher.journal_key) +
                       " comes before the voucher written last in the ledger";
    return false;
  }
  any_journal_ = true;
  last_date_ = voucher.date;
  last_key_ = voucher.journal_key;
  journal_keys_.push_back(voucher.journal_key);

  laid_out_.clear();
  voucher_postings_.clear();
  LayOutVoucher(voucher, tax_, next_line_id_, &laid_out_, &voucher_postings_);
  if (next_line_id_ - first_line_id_ + static_cast<std::int64_t>(laid_out_.size()) >
      std::numeric_limits<std::uint32_t>::max()) {
    *error = "the company has more journal lines than the books can hold";
    return false;
  }
  for (const LaidOutLine& l : laid_out_) {
    const JournalLine& j = *l.line;
    std::int64_t* row = lines_->NextRow();
    row[0] = next_line_id_++;
    row[1] = company_id_;
    row[2] = voucher.journal_key;
    row[3] = l.position;
    row[4] = j.line_number;
    row[5] = voucher.date;
    row[6] = voucher.number;
    row[7] = l.marker;
    row[8] = j.debit_key;
    row[9] = j.debit_amount;
    row[10] = j.debit_tax;
    row[11] = j.credit_key;
    row[12] = j.credit_amount;
    row[13] = j.credit_tax;
    lines_->SetText(j.description);
    row[15] = l.shown_debit_key;
    row[16] = l.shown_credit_key;
    if (!lines_->EndRow()) return Failed(error);
  }
  for (const Posting& p : voucher_postings_) {
    postings_.push_back(
        {KeptPosting::Order(p.main_code, static_cast<std::uint32_t>(p.line_id - first_line_id_)),
         p.date, p.period_kind, p.side});
  }
  return true;
}

bool BooksFileBuilder::EndCompany(const TotalsByKey& totals, std::string* error) {
  // The voucher cursor finds a voucher by its key alone.
  std::sort(journal_keys_.begin(), journal_keys_.end());
  const auto repeated = std::adjacent_find(journal_keys_.begin(), journal_keys_.end());
  if (repeated != journal_keys_.end()) {
    *error = "two vouchers have the journal key " + std::to_string(*repeated);
    return false;
  }
  journal_keys_.clear();
  journal_keys_.shrink_to_fit();

  // Line ids grow with the date, so ordering by main code and line id is ordering by main
  // code, date and line id: the order of the postings table's key, which makes the bulk
  // insert an append.
  std::sort(postings_.begin(), postings_.end(),
            [](const KeptPosting& a, const KeptPosting& b) { return a.order < b.order; });
  // The company's vouchers and journal lines are all in before its postings.
  if (!vouchers_->Flush() || !lines_->Flush()) return Failed(error);
  BatchInsert posting(database_, "postings", 6, -1);
  if (!posting.valid()) return Failed(error);
  for (const KeptPosting& p : postings_) {
    std::int64_t* row = posting.NextRow();
    row[0] = company_id_;
    row[1] = p.main_code();
    row[2] = p.date;
    row[3] = first_line_id_ + p.line();
    row[4] = p.side;
    row[5] = p.period_kind;
    if (!posting.EndRow()) return Failed(error);
  }
  if (!posting.Flush()) return Failed(error);
  postings_.clear();
  postings_.shrink_to_fit();

  // Only slots with an amount are kept; a missing row reads as zeros.
  SqliteStatement total =
      database_.Prepare("INSERT INTO monthly_totals VALUES(?, ?, ?, ?, ?, ?, ?)");
  if (!total.valid()) return Failed(error);
  std::vector<std::int32_t> keys;
  keys.reserve(totals.size());
  for (const auto& [key, unused] : totals) keys.push_back(key);
  std::sort(keys.begin(), keys.end());
  TotalsDigest digest;
  for (const std::int32_t key : keys) {
    const AccountTotals& t = totals.at(key);
    for (int slot = 0; slot < kTotalsSlots; ++slot) {
      if (t.IsZero(slot)) continue;
      digest.Add(key, slot, t.debit_1[slot], t.credit_1[slot], t.debit_2[slot], t.credit_2[slot]);
      if (!Row(total)
               .Int(company_id_)
               .Int(key)
               .Int(slot)
               .Int(t.debit_1[slot])
               .Int(t.credit_1[slot])
               .Int(t.debit_2[slot])
               .Int(t.credit_2[slot])
               .Run()) {
        return Failed(error);
      }
    }
  }
  // The totals cursor checks the totals against their digest instead of the journal.
  SqliteStatement setting = database_.Prepare("INSERT INTO settings VALUES(?, ?)");
  if (!setting.valid() ||
      !Row(setting).Text(TotalsDigestName(company_id_)).Text(digest.Text()).Run()) {
    return Failed(error);
  }
  return true;
}

bool BooksFileBuilder::Finish(std::string* error) {
  vouchers_.reset();
  lines_.reset();
  if (!CreateBooksIndexes(database_) || !database_.Execute("COMMIT")) return Failed(error);
  // One more write with syncing on: its commit flushes the whole file, so the file is on
  // disk before it is moved over the target.
  if (!database_.Execute("PRAGMA synchronous=FULL") ||
      !database_.Execute("UPDATE books_format SET version = version")) {
    return Failed(error);
  }
  return true;
}

}  // namespace vintor::books
