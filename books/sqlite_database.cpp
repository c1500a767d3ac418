#include "books/sqlite_database.h"

#include <sqlite3.h>

#include <utility>

#include "text/encoding.h"

namespace vintor::books {
namespace {

// A cache that grew this large holds texts that do not repeat; it starts again rather
// than growing without bound.
constexpr std::size_t kConversionCacheLimit = 8192;

// ASCII is the same in CP932 and UTF-8, and most keys and many descriptions are ASCII.
bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The text converted: looked up in cache, or converted and remembered there. The result
// lives in the cache until the next call; nullptr when the text does not convert.
template <typename Cache, typename Convert>
const std::string* ConvertCached(Cache& cache, std::string_view in, std::string* error,
                                 Convert convert) {
  if (const auto found = cache.find(in); found != cache.end()) return &found->second;
  std::string out;
  if (!convert(in, &out, error)) return nullptr;
  if (cache.size() >= kConversionCacheLimit) cache.clear();
  return &cache.emplace(std::string(in), std::move(out)).first->second;
}

}  // namespace

std::unique_ptr<SqliteDatabase> SqliteDatabase::Open(const std::string& path, Mode mode,
                                                     std::string* error) {
  std::string utf8;
  std::string why;
  if (path.find('\0') != std::string::npos || !text::Cp932ToUtf8(path, &utf8, &why)) {
    *error = "the path cannot be converted: " + why;
    return nullptr;
  }
  int flags = SQLITE_OPEN_READONLY;
  if (mode == Mode::kReadWrite) flags = SQLITE_OPEN_READWRITE;
  if (mode == Mode::kCreate) flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  sqlite3* handle = nullptr;
  // A connection serves one thread at a time: SQLite need not lock it around every call,
  // which on the journal's millions of column reads costs much of the time.
  flags |= SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(utf8.c_str(), &handle, flags, nullptr);
  if (code != SQLITE_OK) {
    *error = handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(code);
    sqlite3_close(handle);
    return nullptr;
  }
  // Errors carry their own codes (SQLITE_NOTADB, SQLITE_CORRUPT) in the messages we keep.
  sqlite3_extended_result_codes(handle, 1);
  return std::unique_ptr<SqliteDatabase>(new SqliteDatabase(handle));
}

SqliteDatabase::~SqliteDatabase() {
  // Every statement is finalized by its owner before the database goes; close_v2 would
  // still defer the close if one were left.
  sqlite3_close_v2(handle_);
}

bool SqliteDatabase::Execute(std::string_view sql) {
  const std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(handle_, text.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  last_error_ = message != nullptr ? message : sqlite3_errmsg(handle_);
  sqlite3_free(message);
  return false;
}

int SqliteDatabase::Changes() {
  return sqlite3_changes(handle_);
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) !=
      SQLITE_OK) {
    last_error_ = sqlite3_errmsg(handle_);
    sqlite3_finalize(statement);
    return SqliteStatement();
  }
  return SqliteStatement(this, statement);
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : database_(std::exchange(other.database_, nullptr)),
      statement_(std::exchange(other.statement_, nullptr)),
      declared_(std::move(other.declared_)),
      declared_known_(std::exchange(other.declared_known_, false)),
      to_utf8_(std::move(other.to_utf8_)),
      to_cp932_(std::move(other.to_cp932_)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    database_ = std::exchange(other.database_, nullptr);
    statement_ = std::exchange(other.statement_, nullptr);
    declared_ = std::move(other.declared_);
    declared_known_ = std::exchange(other.declared_known_, false);
    to_utf8_ = std::move(other.to_utf8_);
    to_cp932_ = std::move(other.to_cp932_);
  }
  return *this;
}

bool SqliteStatement::Fail(const std::string& what) {
  if (database_ != nullptr) database_->SetError(what);
  return false;
}

bool SqliteStatement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(statement_, index, value) == SQLITE_OK) return true;
  return Fail(sqlite3_errmsg(sqlite3_db_handle(statement_)));
}

bool SqliteStatement::BindText(int index, std::string_view cp932) {
  if (IsAscii(cp932)) return BindUtf8(index, cp932);
  std::string why;
  const std::string* utf8 = ConvertCached(
      to_utf8_, cp932, &why, [](std::string_view in, std::string* out, std::string* error) {
        return text::Cp932ToUtf8(in, out, error);
      });
  if (utf8 == nullptr) return Fail("a text cannot be stored: " + why);
  return BindUtf8(index, *utf8);
}

bool SqliteStatement::BindUtf8(int index, std::string_view utf8) {
  if (sqlite3_bind_text64(statement_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                          SQLITE_UTF8) == SQLITE_OK) {
    return true;
  }
  return Fail(sqlite3_errmsg(sqlite3_db_handle(statement_)));
}

bool SqliteStatement::BindUtf8InPlace(int index, std::string_view utf8) {
  if (sqlite3_bind_text64(statement_, index, utf8.data(), utf8.size(), SQLITE_STATIC,
                          SQLITE_UTF8) == SQLITE_OK) {
    return true;
  }
  return Fail(sqlite3_errmsg(sqlite3_db_handle(statement_)));
}

SqliteStatement::StepResult SqliteStatement::Step() {
  switch (sqlite3_step(statement_)) {
    case SQLITE_ROW:
      return CheckColumnKinds() ? StepResult::kRow : StepResult::kError;
    case SQLITE_DONE:
      return StepResult::kDone;
    default:
      Fail(sqlite3_errmsg(sqlite3_db_handle(statement_)));
      return StepResult::kError;
  }
}

bool SqliteStatement::Run() {
  const StepResult result = Step();
  sqlite3_reset(statement_);
  return result == StepResult::kDone;
}

bool SqliteStatement::CheckColumnKinds() {
  const int columns = sqlite3_column_count(statement_);
  if (!declared_known_) {
    declared_.assign(static_cast<std::size_t>(columns), 0);
    for (int k = 0; k < columns; ++k) {
      const char* type = sqlite3_column_decltype(statement_, k);
      if (type == nullptr) continue;
      const std::string_view declared(type);
      if (declared == "INTEGER") declared_[static_cast<std::size_t>(k)] = SQLITE_INTEGER;
      if (declared == "TEXT") declared_[static_cast<std::size_t>(k)] = SQLITE_TEXT;
    }
    declared_known_ = true;
  }
  for (int k = 0; k < columns; ++k) {
    const int expected = declared_[static_cast<std::size_t>(k)];
    const int held = sqlite3_column_type(statement_, k);
    if (expected == 0 || held == expected) continue;
    static constexpr const char* kNames[] = {"",       "an integer", "a real number",
                                             "a text", "a blob",     "NULL"};
    const char* held_name = held >= 1 && held <= 5 ? kNames[held] : "an unknown value";
    return Fail(std::string("the column ") + sqlite3_column_name(statement_, k) + " holds " +
                held_name + " where " + (expected == SQLITE_INTEGER ? "an integer" : "a text") +
                " belongs");
  }
  return true;
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::int64_t SqliteStatement::Int64(int column) {
  return sqlite3_column_int64(statement_, column);
}

std::string_view SqliteStatement::Utf8(int column) {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  if (text == nullptr) return {};
  return std::string_view(reinterpret_cast<const char*>(text),
                          static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

bool SqliteStatement::Text(int column, std::string* cp932) {
  const std::string_view utf8 = Utf8(column);
  if (IsAscii(utf8)) {
    cp932->assign(utf8);
    return true;
  }
  std::string why;
  const std::string* converted = ConvertCached(
      to_cp932_, utf8, &why, [](std::string_view in, std::string* out, std::string* error) {
        return text::Utf8ToCp932(in, out, error);
      });
  if (converted != nullptr) {
    *cp932 = *converted;
    return true;
  }
  return Fail(std::string("the column ") + sqlite3_column_name(statement_, column) +
              " holds a text that does not convert: " + why);
}

SqliteTransaction::~SqliteTransaction() {
  if (!open_) return;
  // The failure that abandoned the transaction is the one worth reporting.
  const std::string cause = database_.LastError();
  database_.Execute("ROLLBACK");
  database_.SetError(cause);
}

bool SqliteTransaction::Begin() {
  open_ = database_.Execute("BEGIN");
  return open_;
}

bool SqliteTransaction::Commit() {
  if (!open_ || !database_.Execute("COMMIT")) return false;
  open_ = false;
  return true;
}

}  // namespace vintor::books
