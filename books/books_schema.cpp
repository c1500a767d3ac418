#include "books/books_schema.h"

#include <map>
#include <memory>
#include <vector>

namespace vintor::books {
namespace {

// Rows that are read back in written order keep that order in seq. Tables the cursors scan
// are keyed so that each scan is one range of the key: totals by (company, key, slot),
// postings by (company, main code, date, line id), journal lines by an id given in ledger
// order.
constexpr char kTables[] = R"sql(
CREATE TABLE books_format(name TEXT NOT NULL, version INTEGER NOT NULL);
CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE users(
  seq INTEGER PRIMARY KEY, user_id TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
  selected_first INTEGER NOT NULL, selected_data INTEGER NOT NULL);
CREATE TABLE eras(
  seq INTEGER PRIMARY KEY, id INTEGER NOT NULL, first_day INTEGER NOT NULL, name TEXT NOT NULL);
CREATE TABLE folders(seq INTEGER PRIMARY KEY, type INTEGER NOT NULL, path TEXT NOT NULL);
CREATE TABLE companies(
  id INTEGER PRIMARY KEY, data_number INTEGER NOT NULL UNIQUE, data_id TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL, first_day INTEGER NOT NULL, last_day INTEGER NOT NULL,
  has_cost_schedule INTEGER NOT NULL, interim_settlement INTEGER NOT NULL,
  introduction_month INTEGER NOT NULL, companies_act INTEGER NOT NULL,
  tax_included INTEGER NOT NULL);
CREATE TABLE accounts(
  company_id INTEGER NOT NULL, seq INTEGER NOT NULL, key INTEGER NOT NULL,
  formal_name TEXT NOT NULL, statement_name TEXT NOT NULL, character INTEGER NOT NULL,
  kind INTEGER NOT NULL, debit_nature INTEGER NOT NULL, no_ledger_1 INTEGER NOT NULL,
  no_ledger_2 INTEGER NOT NULL, formula TEXT NOT NULL,
  PRIMARY KEY(company_id, seq)) WITHOUT ROWID;
CREATE TABLE openings(
  company_id INTEGER NOT NULL, seq INTEGER NOT NULL, key INTEGER NOT NULL,
  amount INTEGER NOT NULL, PRIMARY KEY(company_id, seq)) WITHOUT ROWID;
CREATE TABLE vouchers(
  company_id INTEGER NOT NULL, seq INTEGER NOT NULL, journal_key INTEGER NOT NULL,
  number INTEGER NOT NULL, date INTEGER NOT NULL, period_kind INTEGER NOT NULL,
  PRIMARY KEY(company_id, seq)) WITHOUT ROWID;
CREATE TABLE journal_lines(
  id INTEGER PRIMARY KEY, company_id INTEGER NOT NULL, journal_key INTEGER NOT NULL,
  position INTEGER NOT NULL, line_number INTEGER NOT NULL, date INTEGER NOT NULL,
  number INTEGER NOT NULL, marker INTEGER NOT NULL,
  debit_key INTEGER NOT NULL, debit_amount INTEGER NOT NULL, debit_tax INTEGER NOT NULL,
  credit_key INTEGER NOT NULL, credit_amount INTEGER NOT NULL, credit_tax INTEGER NOT NULL,
  description TEXT NOT NULL, shown_debit_key INTEGER NOT NULL, shown_credit_key INTEGER NOT NULL);
CREATE TABLE postings(
  company_id INTEGER NOT NULL, main_code INTEGER NOT NULL, date INTEGER NOT NULL,
  line_id INTEGER NOT NULL, side INTEGER NOT NULL, period_kind INTEGER NOT NULL,
  PRIMARY KEY(company_id, main_code, date, line_id)) WITHOUT ROWID;
CREATE TABLE monthly_totals(
  company_id INTEGER NOT NULL, key INTEGER NOT NULL, slot INTEGER NOT NULL,
  debit_1 INTEGER NOT NULL, credit_1 INTEGER NOT NULL,
  debit_2 INTEGER NOT NULL, credit_2 INTEGER NOT NULL,
  PRIMARY KEY(company_id, key, slot)) WITHOUT ROWID;
CREATE TABLE saved_texts(
  company_id INTEGER NOT NULL, kind INTEGER NOT NULL, text TEXT NOT NULL,
  PRIMARY KEY(company_id, kind)) WITHOUT ROWID;
)sql";

constexpr char kIndexes[] = R"sql(
CREATE INDEX journal_lines_by_voucher ON journal_lines(company_id, journal_key, line_number);
)sql";

}  // namespace

bool CreateBooksTables(SqliteDatabase& database) {
  if (!database.Execute(kTables)) return false;
  SqliteStatement marker = database.Prepare("INSERT INTO books_format VALUES(?, ?)");
  return marker.valid() && marker.BindUtf8(1, kBooksFormatName) &&
         marker.Bind(2, kBooksFormatVersion) && marker.Run();
}

bool CreateBooksIndexes(SqliteDatabase& database) {
  return database.Execute(kIndexes);
}

bool ReadCompanyColumns(SqliteStatement& row, int first, Company* company) {
  company->data_number = row.Int32(first);
  company->first_day = row.Int32(first + 3);
  company->last_day = row.Int32(first + 4);
  company->has_cost_schedule = row.Int64(first + 5) != 0;
  company->interim_settlement = row.Int64(first + 6) != 0;
  company->introduction_month = static_cast<std::int16_t>(row.Int64(first + 7));
  company->companies_act = row.Int64(first + 8) != 0;
  company->tax_included = row.Int64(first + 9) != 0;
  return row.Text(first + 1, &company->data_id) && row.Text(first + 2, &company->name);
}

bool IsBooksDatabase(SqliteDatabase& database, std::string* error) {
  // Preparing reads the schema: a file that is not a database fails here, a database
  // without the marker table too.
  SqliteStatement marker = database.Prepare("SELECT name, version FROM books_format");
  if (!marker.valid()) {
    *error = "it is not a books file (" + database.LastError() + ")";
    return false;
  }
  if (marker.Step() != SqliteStatement::StepResult::kRow || marker.Utf8(0) != kBooksFormatName) {
    *error = "it is not a books file (no format marker)";
    return false;
  }
  if (marker.Int64(1) != kBooksFormatVersion) {
    *error = "it is a books file of version " + std::to_string(marker.Int64(1)) +
             ", this program reads version " + std::to_string(kBooksFormatVersion);
    return false;
  }
  return true;
}

namespace {

// The tables and indexes of a database, by name, with the statements that created them.
bool ReadSchema(SqliteDatabase& database, std::map<std::string, std::string>* schema) {
  SqliteStatement query =
      database.Prepare("SELECT type || ' ' || name, coalesce(sql, '') FROM sqlite_master");
  if (!query.valid()) return false;
  for (;;) {
    const SqliteStatement::StepResult step = query.Step();
    if (step == SqliteStatement::StepResult::kDone) return true;
    if (step == SqliteStatement::StepResult::kError) return false;
    schema->emplace(std::string(query.Utf8(0)), std::string(query.Utf8(1)));
  }
}

}  // namespace

bool CheckBooksFile(SqliteDatabase& database, std::string* error, PageCheck pages) {
  // The schema a new books file gets, made in memory: whatever differs from it was not
  // written by this program.
  std::string why;
  const std::unique_ptr<SqliteDatabase> model =
      SqliteDatabase::Open(":memory:", SqliteDatabase::Mode::kCreate, &why);
  std::map<std::string, std::string> expected;
  std::map<std::string, std::string> found;
  if (model == nullptr || !CreateBooksTables(*model) || !CreateBooksIndexes(*model) ||
      !ReadSchema(*model, &expected)) {
    *error = "the model of the tables cannot be made (" +
             (model != nullptr ? model->LastError() : why) + ")";
    return false;
  }
  if (!ReadSchema(database, &found)) {
    *error = database.LastError();
    return false;
  }
  for (const auto& [name, sql] : expected) {
    const auto present = found.find(name);
    if (present == found.end()) {
      *error = "the " + name + " is missing";
      return false;
    }
    if (present->second != sql) {
      *error = "the " + name + " has been changed";
      return false;
    }
  }
  for (const auto& [name, sql] : found) {
    if (!expected.contains(name)) {
      *error = "the " + name + " does not belong in a books file";
      return false;
    }
  }
  // The first problem is enough to refuse the file; SQLite says "ok" when there is none.
  std::vector<std::string> checks;
  if (pages == PageCheck::kWholeFile) {
    checks.push_back("PRAGMA quick_check(1)");
  } else {
    for (const auto& [name, sql] : expected) {
      constexpr std::string_view kTable = "table ";
      if (!name.starts_with(kTable)) continue;
      const std::string table = name.substr(kTable.size());
      if (table == "vouchers" || table == "journal_lines" || table == "postings") continue;
      checks.push_back("PRAGMA quick_check(" + table + ")");
    }
  }
  for (const std::string& sql : checks) {
    SqliteStatement check = database.Prepare(sql);
    if (!check.valid()) {
      *error = database.LastError();
      return false;
    }
    if (check.Step() != SqliteStatement::StepResult::kRow) {
      *error = database.LastError();
      return false;
    }
    if (check.Utf8(0) != "ok") {
      *error = std::string(check.Utf8(0));
      return false;
    }
  }
  return true;
}

}  // namespace vintor::books
