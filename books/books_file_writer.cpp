#include "books/books_file_writer.h"

#include <algorithm>
#include <vector>

#include "books/books_schema.h"
#include "books/journal_layout.h"
#include "books/monthly_totals.h"
#include "books/totals_digest.h"

namespace vintor::books {
namespace {

// The file is a temporary one that replaces the target only once complete, so it needs no
// rollback journal and no syncing while it is built; a large page cache keeps the bulk
// insert of a million journal lines in memory until the commit.
constexpr char kBuildPragmas[] =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
    "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-262144;";

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

bool BooksFileWriter::Write(const BooksData& data, std::string* error) {
  if (!database_.Execute(kBuildPragmas) || !CreateBooksTables(database_)) {
    *error = database_.LastError();
    return false;
  }
  SqliteTransaction transaction(database_);
  if (!transaction.Begin() || !WriteCommon(data)) {
    *error = database_.LastError();
    return false;
  }
  std::int64_t first_line_id = 1;
  for (std::size_t k = 0; k < data.companies.size(); ++k) {
    const CompanyBooks& books = data.companies[k];
    if (!WriteCompany(static_cast<std::int64_t>(k) + 1, books, first_line_id, error)) {
      *error = "company data " + std::to_string(books.company.data_number) + ": " + *error;
      return false;
    }
    for (const Voucher& voucher : books.vouchers) {
      first_line_id += static_cast<std::int64_t>(voucher.lines.size());
    }
  }
  if (!CreateBooksIndexes(database_) || !transaction.Commit()) {
    *error = database_.LastError();
    return false;
  }
  // One more write with syncing on: its commit flushes the whole file, so the file is on
  // disk before it is moved over the target.
  if (!database_.Execute("PRAGMA synchronous=FULL") ||
      !database_.Execute("UPDATE books_format SET version = version")) {
    *error = database_.LastError();
    return false;
  }
  return true;
}

bool BooksFileWriter::WriteCommon(const BooksData& data) {
  SqliteStatement setting = database_.Prepare("INSERT INTO settings VALUES('current_user', ?)");
  SqliteStatement user = database_.Prepare("INSERT INTO users VALUES(?, ?, ?, ?, ?)");
  SqliteStatement era = database_.Prepare("INSERT INTO eras VALUES(?, ?, ?, ?)");
  SqliteStatement folder = database_.Prepare("INSERT INTO folders VALUES(?, ?, ?)");
  if (!setting.valid() || !user.valid() || !era.valid() || !folder.valid()) return false;
  if (!Row(setting).Text(data.current_user).Run()) return false;
  std::int64_t seq = 0;
  for (const User& u : data.users) {
    if (!Row(user)
             .Int(++seq)
             .Text(u.user_id)
             .Text(u.name)
             .Int(u.selected_first)
             .Int(u.selected_data)
             .Run()) {
      return false;
    }
  }
  seq = 0;
  for (const Era& e : data.eras) {
    if (!Row(era).Int(++seq).Int(e.id).Int(e.first_day).Text(e.name).Run()) return false;
  }
  seq = 0;
  for (const Folder& f : data.folders) {
    if (!Row(folder).Int(++seq).Int(f.type).Text(f.path).Run()) return false;
  }
  return true;
}

bool BooksFileWriter::WriteCompany(std::int64_t company_id, const CompanyBooks& books,
                                   std::int64_t first_line_id, std::string* error) {
  TotalsByKey totals;
  JournalLayout layout;
  if (!ComputeMonthlyTotals(books, &totals, error) ||
      !LayOutJournal(books, first_line_id, &layout, error)) {
    return false;
  }
  const auto failed = [&] {
    *error = database_.LastError();
    return false;
  };

  const Company& c = books.company;
  SqliteStatement company =
      database_.Prepare("INSERT INTO companies VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!company.valid() || !Row(company)
                               .Int(company_id)
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
    return failed();
  }

  SqliteStatement account =
      database_.Prepare("INSERT INTO accounts VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!account.valid()) return failed();
  std::int64_t seq = 0;
  for (const Account& a : books.accounts) {
    if (!Row(account)
             .Int(company_id)
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
      return failed();
    }
  }

  SqliteStatement opening = database_.Prepare("INSERT INTO openings VALUES(?, ?, ?, ?)");
  if (!opening.valid()) return failed();
  seq = 0;
  for (const OpeningBalance& o : books.openings) {
    if (!Row(opening).Int(company_id).Int(++seq).Int(o.key).Int(o.amount).Run()) return failed();
  }

  SqliteStatement voucher = database_.Prepare("INSERT INTO vouchers VALUES(?, ?, ?, ?, ?, ?)");
  if (!voucher.valid()) return failed();
  seq = 0;
  for (const Voucher& v : books.vouchers) {
    if (!Row(voucher)
             .Int(company_id)
             .Int(++seq)
             .Int(v.journal_key)
             .Int(v.number)
             .Int(v.date)
             .Int(v.period_kind)
             .Run()) {
      return failed();
    }
  }

  SqliteStatement line = database_.Prepare(
      "INSERT INTO journal_lines VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!line.valid()) return failed();
  std::int64_t line_id = first_line_id;
  for (const LaidOutLine& l : layout.lines) {
    const Voucher& v = *l.voucher;
    const JournalLine& j = *l.line;
    if (!Row(line)
             .Int(line_id++)
             .Int(company_id)
             .Int(v.journal_key)
             .Int(l.position)
             .Int(j.line_number)
             .Int(v.date)
             .Int(v.number)
             .Int(l.marker)
             .Int(j.debit_key)
             .Int(j.debit_amount)
             .Int(j.debit_tax)
             .Int(j.credit_key)
             .Int(j.credit_amount)
             .Int(j.credit_tax)
             .Text(j.description)
             .Int(l.shown_debit_key)
             .Int(l.shown_credit_key)
             .Run()) {
      return failed();
    }
  }

  SqliteStatement posting = database_.Prepare("INSERT INTO postings VALUES(?, ?, ?, ?, ?, ?)");
  if (!posting.valid()) return failed();
  for (const Posting& p : layout.postings) {
    if (!Row(posting)
             .Int(company_id)
             .Int(p.main_code)
             .Int(p.date)
             .Int(p.line_id)
             .Int(p.side)
             .Int(p.period_kind)
             .Run()) {
      return failed();
    }
  }

  // Only slots with an amount are kept; a missing row reads as zeros.
  SqliteStatement total =
      database_.Prepare("INSERT INTO monthly_totals VALUES(?, ?, ?, ?, ?, ?, ?)");
  if (!total.valid()) return failed();
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
               .Int(company_id)
               .Int(key)
               .Int(slot)
               .Int(t.debit_1[slot])
               .Int(t.credit_1[slot])
               .Int(t.debit_2[slot])
               .Int(t.credit_2[slot])
               .Run()) {
        return failed();
      }
    }
  }

  // The totals cursor checks the totals against their digest instead of the journal.
  SqliteStatement setting = database_.Prepare("INSERT INTO settings VALUES(?, ?)");
  if (!setting.valid() ||
      !Row(setting).Text(TotalsDigestName(company_id)).Text(digest.Text()).Run()) {
    return failed();
  }

  SqliteStatement saved = database_.Prepare("INSERT INTO saved_texts VALUES(?, ?, ?)");
  if (!saved.valid()) return failed();
  for (const auto& [kind, text] : books.saved_texts) {
    if (!Row(saved).Int(company_id).Int(kind).Text(text).Run()) return failed();
  }
  return true;
}

}  // namespace vintor::books
