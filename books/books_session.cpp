#include "books/books_session.h"

#include <algorithm>

#include "books/books_codes.h"
#include "books/books_schema.h"
#include "books/company_journal.h"
#include "books/regular_file.h"
#include "books/totals_digest.h"
#include "os/os.h"

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

// Reading only, and no writes by accident. Every table is read in one pass in key order, so
// SQLite's own small page cache is enough.
constexpr char kReadPragmas[] = "PRAGMA query_only=ON;";

template <typename OnRow>
bool ForEachRow(SqliteDatabase& database, std::string_view sql, std::int64_t parameter,
                OnRow on_row) {
  SqliteStatement statement = database.Prepare(sql);
  if (!statement.valid()) return false;
  if (sql.find('?') != std::string_view::npos && !statement.Bind(1, parameter)) return false;
  for (;;) {
    const Step step = statement.Step();
    if (step == Step::kDone) return true;
    if (step == Step::kError || !on_row(statement)) return false;
  }
}

std::string DamageMessage(const std::string& path, const std::string& what) {
  return "会計データのファイルが壊れています。\n" + path + "\n(" + what + ")";
}

}  // namespace

Chart::Chart(std::vector<Account> accounts) : accounts_(std::move(accounts)) {
  by_key_.reserve(accounts_.size());
  // The first account with a key wins, as a walk over the chart would find it.
  for (std::size_t k = 0; k < accounts_.size(); ++k) by_key_.emplace(accounts_[k].key, k);
}

const Account* Chart::Find(std::int32_t key) const {
  const auto found = by_key_.find(key);
  return found == by_key_.end() ? nullptr : &accounts_[found->second];
}

BooksSession::BooksSession(BooksOptions options) : options_(std::move(options)) {}

BooksSession::~BooksSession() = default;

bool BooksSession::Open(std::string* message) {
  Close();
  const std::string& path = options_.books_path;
  if (path.empty() || !os::SystemOs().FileExists(path)) {
    *message = "会計データのファイルが見つかりません。\n" + path;
    return false;
  }
  // A FIFO would block SQLite's open and the run with it; a device is no books file.
  std::uint64_t size = 0;
  if (KindOfFile(path, &size) != FileKind::kRegular) {
    *message = "会計データのファイルではありません。\n" + path +
               "\n(it is not a regular file: a folder, FIFO or device)";
    return false;
  }
  std::string why;
  database_ = SqliteDatabase::Open(path, SqliteDatabase::Mode::kReadOnly, &why);
  if (database_ == nullptr) {
    *message = "会計データのファイルを開けません。\n" + path + "\n(" + why + ")";
    return false;
  }
  if (!IsBooksDatabase(*database_, &why)) {
    Close();
    *message = "会計データのファイルではありません。\n" + path + "\n(" + why + ")";
    return false;
  }
  if (!database_->Execute(kReadPragmas)) {
    why = database_->LastError();
    Close();
    *message = "会計データのファイルを読み込めません。\n" + path + "\n(" + why + ")";
    return false;
  }
  // Damage is found before any number is handed out: a run never totals half a file.
  if (!CheckBooksFile(*database_, &why, PageCheck::kAllButJournal) || !ReadRecords(&why)) {
    Close();
    *message = DamageMessage(path, why);
    return false;
  }
  ++generation_;
  // The selected company's chart is read now, so the run's account lookups never wait and
  // a chart that cannot be read stops the run before the conditions are asked for.
  if (const CompanyRecord* selected = SelectedCompany();
      selected != nullptr && ChartOf(*selected) == nullptr) {
    why = database_->LastError();
    Close();
    *message = DamageMessage(path, why);
    return false;
  }
  damage_reported_ = false;
  return true;
}

void BooksSession::Close() {
  if (database_ == nullptr) return;
  charts_.clear();
  journals_.clear();
  companies_.clear();
  users_.clear();
  eras_.clear();
  folders_.clear();
  books_current_user_.clear();
  database_.reset();
  ++generation_;
}

bool BooksSession::ReadRecords(std::string* error) {
  SqliteDatabase& db = *database_;
  const bool read =
      ForEachRow(db, "SELECT value FROM settings WHERE name = 'current_user'", 0,
                 [&](SqliteStatement& row) { return row.Text(0, &books_current_user_); }) &&
      ForEachRow(db, "SELECT id, " VINTOR_COMPANY_COLUMNS " FROM companies ORDER BY id", 0,
                 [&](SqliteStatement& row) {
                   CompanyRecord& record = companies_.emplace_back();
                   record.id = row.Int64(0);
                   return ReadCompanyColumns(row, 1, &record.company);
                 }) &&
      ForEachRow(db, "SELECT user_id, name, selected_first, selected_data FROM users ORDER BY seq",
                 0,
                 [&](SqliteStatement& row) {
                   User& user = users_.emplace_back();
                   user.selected_first = row.Int32(2);
                   user.selected_data = row.Int32(3);
                   return row.Text(0, &user.user_id) && row.Text(1, &user.name);
                 }) &&
      ForEachRow(db, "SELECT id, first_day, name FROM eras ORDER BY seq", 0,
                 [&](SqliteStatement& row) {
                   Era& era = eras_.emplace_back();
                   era.id = row.Int32(0);
                   era.first_day = row.Int32(1);
                   return row.Text(2, &era.name);
                 }) &&
      ForEachRow(db, "SELECT type, path FROM folders ORDER BY seq", 0, [&](SqliteStatement& row) {
        Folder& folder = folders_.emplace_back();
        folder.type = row.Int32(0);
        return row.Text(1, &folder.path);
      });
  if (!read) {
    *error = db.LastError();
    return false;
  }
  // The era walk promises ascending first days whatever order the books keep.
  std::stable_sort(eras_.begin(), eras_.end(),
                   [](const Era& a, const Era& b) { return a.first_day < b.first_day; });
  return true;
}

int BooksSession::ReportDamage(std::string what) {
  if (what.empty() && database_ != nullptr) what = database_->LastError();
  if (!damage_reported_) {
    damage_reported_ = true;
    Display(owner_, DamageMessage(options_.books_path, what), title_, ui::kWarning);
  }
  return kCodeDamaged;
}

const CompanyJournal* BooksSession::JournalOf(const CompanyRecord& company) {
  if (database_ == nullptr) return nullptr;
  if (const auto found = journals_.find(company.id); found != journals_.end()) {
    return found->second.get();
  }
  const Chart* chart = ChartOf(company);
  if (chart == nullptr) {
    ReportDamage();
    return nullptr;
  }
  auto journal = std::make_unique<CompanyJournal>();
  std::string why;
  if (!CompanyJournal::Load(*database_, company, *chart, journal.get(), &why)) {
    ReportDamage(why);
    return nullptr;
  }
  const CompanyJournal* kept = journal.get();
  journals_.emplace(company.id, std::move(journal));
  return kept;
}

int BooksSession::VerifyTotals(const CompanyRecord& company, const TotalsDigest& read) {
  if (database_ == nullptr) return kCodeNotOpen;
  std::string stored;
  bool found = false;
  SqliteStatement query = database_->Prepare("SELECT value FROM settings WHERE name = ?");
  if (!query.valid() || !query.BindText(1, TotalsDigestName(company.id))) return ReportDamage();
  for (;;) {
    const auto step = query.Step();
    if (step == SqliteStatement::StepResult::kDone) break;
    if (step == SqliteStatement::StepResult::kError || !query.Text(0, &stored)) {
      return ReportDamage();
    }
    found = true;
  }
  if (found) {
    if (stored == read.Text()) return platform::kSuccess;
    return ReportDamage("the monthly totals of company " + std::to_string(company.id) +
                        " are not the ones the file was written with: their digest is " +
                        read.Text() + " where the file keeps " + stored +
                        " (table monthly_totals)");
  }
  // A file written before the totals carried a digest: they are compared with the journal.
  return JournalOf(company) != nullptr ? platform::kSuccess : kCodeDamaged;
}

int BooksSession::Display(platform::WindowHandle owner, const std::string& text,
                          const std::string& caption, unsigned style) const {
  return options_.display ? options_.display(owner, text, caption, style) : 0;
}

const CompanyRecord* BooksSession::FindCompany(std::string_view data_id) const {
  for (const CompanyRecord& record : companies_) {
    if (record.company.data_id == data_id) return &record;
  }
  return nullptr;
}

const CompanyRecord* BooksSession::FindCompanyByNumber(std::int32_t data_number) const {
  for (const CompanyRecord& record : companies_) {
    if (record.company.data_number == data_number) return &record;
  }
  return nullptr;
}

std::string BooksSession::FolderPath(int type) const {
  for (const Folder& folder : folders_) {
    if (folder.type == type) return folder.path;
  }
  return {};
}

std::string BooksSession::CurrentUserId() const {
  return options_.user_id.empty() ? books_current_user_ : options_.user_id;
}

bool BooksSession::SelectionOf(std::string_view user_id, std::int32_t* first,
                               std::int32_t* second) const {
  for (const User& user : users_) {
    if (user.user_id != user_id) continue;
    *first = user.selected_first;
    *second = options_.data_number != 0 ? options_.data_number : user.selected_data;
    return true;
  }
  return false;
}

const CompanyRecord* BooksSession::SelectedCompany() const {
  std::int32_t first = 0;
  std::int32_t second = 0;
  if (!SelectionOf(CurrentUserId(), &first, &second) || second == 0) return nullptr;
  return FindCompanyByNumber(second);
}

const Chart* BooksSession::ChartOf(const CompanyRecord& company) {
  if (database_ == nullptr) return nullptr;
  if (const auto found = charts_.find(company.id); found != charts_.end()) {
    return found->second.get();
  }
  std::vector<Account> accounts;
  const bool read = ForEachRow(
      *database_,
      "SELECT key, formal_name, statement_name, character, kind, debit_nature, no_ledger_1,"
      " no_ledger_2, formula FROM accounts WHERE company_id = ? ORDER BY seq",
      company.id, [&](SqliteStatement& row) {
        Account& a = accounts.emplace_back();
        a.key = row.Int32(0);
        a.character = static_cast<std::uint32_t>(row.Int64(3));
        a.kind = static_cast<std::int8_t>(row.Int64(4));
        a.debit_nature = row.Int64(5) != 0;
        a.no_ledger_1 = row.Int64(6) != 0;
        a.no_ledger_2 = row.Int64(7) != 0;
        return row.Text(1, &a.formal_name) && row.Text(2, &a.statement_name) &&
               row.Text(8, &a.formula);
      });
  if (!read) return nullptr;
  auto chart = std::make_unique<Chart>(std::move(accounts));
  const Chart* kept = chart.get();
  charts_.emplace(company.id, std::move(chart));
  return kept;
}

int DataSelection::Select(const char* data_id) {
  if (data_id == nullptr) return kCodeBadArgument;
  // The data ID field is 16 bytes; a longer text cannot name any company.
  const std::string_view id(data_id, std::find(data_id, data_id + 16, '\0') - data_id);
  if (session_.FindCompany(id) == nullptr) return kCodeUnknownData;
  data_id_ = id;
  return platform::kSuccess;
}

const CompanyRecord* DataSelection::Current() const {
  return data_id_.empty() ? session_.SelectedCompany() : session_.FindCompany(data_id_);
}

}  // namespace vintor::books
