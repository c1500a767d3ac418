#include "books/books_file_builder.h"

#include <algorithm>
#include <limits>

#include "books/books_schema.h"

namespace vintor::books {
namespace {

// The file is a temporary one that replaces the target only once complete, so it needs no
// rollback journal and no syncing while it is built. Every table is filled in the order of
// its key, so each insert appends and a page, once full, is not visited again: a modest
// page cache serves, and pages beyond it go to the file rather than piling up in memory.
constexpr char kBuildPragmas[] =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
    "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-32768;";

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
  voucher_statement_ = database_.Prepare("INSERT INTO vouchers VALUES(?, ?, ?, ?, ?, ?)");
  line_statement_ = database_.Prepare(
      "INSERT INTO journal_lines VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!setting.valid() || !user.valid() || !era.valid() || !folder.valid() ||
      !voucher_statement_.valid() || !line_statement_.valid()) {
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
  if (!Row(voucher_statement_)
           .Int(company_id_)
           .Int(++voucher_seq_)
           .Int(v.journal_key)
           .Int(v.number)
           .Int(v.date)
           .Int(v.period_kind)
           .Run()) {
    return Failed(error);
  }
  return true;
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
    if (!Row(line_statement_)
             .Int(next_line_id_++)
             .Int(company_id_)
             .Int(voucher.journal_key)
             .Int(l.position)
             .Int(j.line_number)
             .Int(voucher.date)
             .Int(voucher.number)
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
      return Failed(error);
    }
  }
  for (const Posting& p : voucher_postings_) {
    postings_.push_back({p.main_code, static_cast<std::uint32_t>(p.line_id - first_line_id_),
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
  std::sort(postings_.begin(), postings_.end(), [](const KeptPosting& a, const KeptPosting& b) {
    return a.main_code != b.main_code ? a.main_code < b.main_code : a.line < b.line;
  });
  SqliteStatement posting = database_.Prepare("INSERT INTO postings VALUES(?, ?, ?, ?, ?, ?)");
  if (!posting.valid()) return Failed(error);
  for (const KeptPosting& p : postings_) {
    if (!Row(posting)
             .Int(company_id_)
             .Int(p.main_code)
             .Int(p.date)
             .Int(first_line_id_ + p.line)
             .Int(p.side)
             .Int(p.period_kind)
             .Run()) {
      return Failed(error);
    }
  }
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
  for (const std::int32_t key : keys) {
    const AccountTotals& t = totals.at(key);
    for (int slot = 0; slot < kTotalsSlots; ++slot) {
      if (t.IsZero(slot)) continue;
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
  return true;
}

bool BooksFileBuilder::Finish(std::string* error) {
  voucher_statement_ = SqliteStatement();
  line_statement_ = SqliteStatement();
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
