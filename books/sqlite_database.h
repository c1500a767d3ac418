// A small RAII layer over SQLite for the books: a database connection, prepared statements
// with bind, step and column helpers, and a transaction that rolls back unless committed.
//
// Texts cross this layer in CP932, as everywhere in the program: paths and bound texts are
// converted to UTF-8 on the way in, column texts back to CP932 on the way out. A text that
// does not convert is an error the caller sees, never a '?'.
//
// Nothing here throws. Operations answer false (or kError) and keep a message that the
// owning database reports through LastError().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vintor::books {

class SqliteStatement;

class SqliteDatabase {
 public:
  enum class Mode {
    kReadOnly,   // the file must exist; nothing can be written
    kReadWrite,  // the file must exist
    kCreate,     // created when absent
  };

  // Opens the file at the CP932 path, for use by one thread at a time. nullptr with *error set when
  // the path does not convert or SQLite cannot open the file. Opening succeeds on any existing
  // file; whether it is a database shows at the first statement.
  static std::unique_ptr<SqliteDatabase> Open(const std::string& path, Mode mode,
                                              std::string* error);

  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Runs one or more statements without results (schema, pragmas). False with the message
  // kept on failure.
  bool Execute(std::string_view sql);

  // Prepares a statement. The statement must not outlive this database. On failure the
  // statement is not valid() and the message is kept.
  SqliteStatement Prepare(std::string_view sql);

  // The rows the last INSERT, UPDATE or DELETE changed.
  int Changes();

  // The message of the last failure, prefixed with what was being done.
  const std::string& LastError() const { return last_error_; }
  void SetError(std::string message) { last_error_ = std::move(message); }

  sqlite3* handle() { return handle_; }

 private:
  explicit SqliteDatabase(sqlite3* handle) : handle_(handle) {}

  sqlite3* handle_;
  std::string last_error_;
};

// A prepared statement. Movable, not copyable; finalized on destruction.
class SqliteStatement {
 public:
  enum class StepResult { kRow, kDone, kError };

  SqliteStatement() = default;
  SqliteStatement(SqliteDatabase* database, sqlite3_stmt* statement)
      : database_(database), statement_(statement) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool valid() const { return statement_ != nullptr; }

  // Parameters count from 1, as in SQLite. The Bind calls answer false when SQLite refuses
  // the value (or, for texts, when the CP932 text does not convert to UTF-8).
  bool Bind(int index, std::int64_t value);
  bool BindText(int index, std::string_view cp932);
  bool BindUtf8(int index, std::string_view utf8);
  // Binds the text itself rather than a copy: it must stay unchanged and in place until the
  // statement has been stepped for the last time with this binding.
  bool BindUtf8InPlace(int index, std::string_view utf8);

  // Steps once. kError keeps SQLite's message in the database. A row is also an error when
  // a column declared INTEGER or TEXT in the schema holds a value of another kind (a NULL,
  // a text where a number belongs): the books file was changed behind our back, and reading
  // such a value as 0 or empty would give wrong numbers without a word.
  StepResult Step();
  // Steps a statement that returns no rows; false unless it finished.
  bool Run();
  // Makes the statement ready to run again with new bindings.
  void Reset();

  // Columns count from 0. A NULL reads as 0 or empty.
  std::int64_t Int64(int column);
  std::int32_t Int32(int column) { return static_cast<std::int32_t>(Int64(column)); }
  std::string_view Utf8(int column);
  // The column's text converted to CP932; false with the message kept when it does not
  // convert.
  bool Text(int column, std::string* cp932);

 private:
  // Hashes a text key whether held as a string or looked up by a view, so a lookup makes
  // no string of its own.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  bool Fail(const std::string& what);
  // False with the message kept when a column of the current row does not hold the kind
  // of value its declaration promises.
  bool CheckColumnKinds();

  SqliteDatabase* database_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  // Per result column the storage class its declaration promises (SQLITE_INTEGER or
  // SQLITE_TEXT), 0 for an expression or another type; filled at the first row.
  std::vector<int> declared_;
  bool declared_known_ = false;
  // Recent conversions of this statement's texts. A ledger statement runs over millions of
  // lines whose descriptions repeat; a conversion costs far more than a lookup.
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> to_utf8_;
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> to_cp932_;
};

// BEGIN on construction when Begin() is called; ROLLBACK on destruction unless Commit()
// succeeded.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteDatabase& database) : database_(database) {}
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  bool Begin();
  bool Commit();

 private:
  SqliteDatabase& database_;
  bool open_ = false;
};

}  // namespace vintor::books
