#include "books/books_store.h"

#include <cstdint>
#include <memory>
#include <random>

#include "books/books_file_reader.h"
#include "books/books_file_writer.h"
#include "books/books_schema.h"
#include "books/regular_file.h"
#include "books/sqlite_database.h"
#include "os/os.h"

namespace vintor::books {
namespace {

// A name beside the target for the file being built: the final move must stay within one
// folder (and one volume) to be a single step.
std::string TemporaryPathBeside(os::Os& os, const std::string& path) {
  std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = path + "." + std::to_string(random() % 1000000000) + ".tmp";
    if (!os.FileExists(candidate)) return candidate;
  }
  return {};
}

}  // namespace

bool WriteBooksFile(const std::string& path, const BooksData& data, std::string* error) {
  return WriteBooksFile(os::SystemOs(), path, data, error);
}

bool WriteBooksFile(os::Os& os, const std::string& path, const BooksData& data,
                    std::string* error) {
  return BuildBooksFile(
      os, path,
      [&](SqliteDatabase& database, std::string* why) {
        return BooksFileWriter(database).Write(data, why);
      },
      error);
}

bool BuildBooksFile(os::Os& os, const std::string& path, const BooksFill& fill,
                    std::string* error) {
  const std::string temporary = TemporaryPathBeside(os, path);
  if (temporary.empty()) {
    *error = "cannot name a temporary file beside " + path;
    return false;
  }
  std::string why;
  bool written = false;
  {
    // The database is closed at the end of this block: a file still open cannot be moved
    // on Windows.
    std::unique_ptr<SqliteDatabase> database =
        SqliteDatabase::Open(temporary, SqliteDatabase::Mode::kCreate, &why);
    if (database != nullptr) written = fill(*database, &why);
  }
  if (written && !os.MoveFileOver(temporary, path)) {
    why = "the finished file could not be moved over the old one";
    written = false;
  }
  if (!written) {
    os.RemoveFile(temporary);
    *error = "cannot write the books file " + path + ": " + why;
  }
  return written;
}

bool ReadBooksFile(const std::string& path, BooksData* data, std::string* error) {
  std::string why = WhyNotReadableFile(path, UINT64_MAX);
  if (!why.empty()) {
    *error = "cannot read the books file " + path + ": " + why;
    return false;
  }
  std::unique_ptr<SqliteDatabase> database =
      SqliteDatabase::Open(path, SqliteDatabase::Mode::kReadOnly, &why);
  if (database == nullptr || !IsBooksDatabase(*database, &why) ||
      !CheckBooksFile(*database, &why) || !BooksFileReader(*database).Read(data, &why)) {
    *error = "cannot read the books file " + path + ": " + why;
    return false;
  }
  return true;
}

bool SelectCompany(const std::string& path, const std::string& user_id, int data_number,
                   std::string* error) {
  std::string why = WhyNotReadableFile(path, UINT64_MAX);
  if (!why.empty()) {
    *error = "cannot open the books file " + path + ": " + why;
    return false;
  }
  std::unique_ptr<SqliteDatabase> database =
      SqliteDatabase::Open(path, SqliteDatabase::Mode::kReadWrite, &why);
  if (database == nullptr || !IsBooksDatabase(*database, &why) ||
      !CheckBooksFile(*database, &why)) {
    *error = "cannot open the books file " + path + ": " + why;
    return false;
  }
  // The file keeps its rollback journal here, so the two updates land together or not at
  // all.
  SqliteTransaction transaction(*database);
  SqliteStatement user = database->Prepare("UPDATE users SET selected_data = ? WHERE user_id = ?");
  SqliteStatement company = database->Prepare("SELECT 1 FROM companies WHERE data_number = ?");
  SqliteStatement current =
      database->Prepare("INSERT OR REPLACE INTO settings(name, value) VALUES('current_user', ?)");
  const bool prepared = user.valid() && company.valid() && current.valid();
  if (!prepared || !transaction.Begin()) {
    *error = "cannot change the books file " + path + ": " + database->LastError();
    return false;
  }
  const bool company_found =
      company.Bind(1, data_number) && company.Step() == SqliteStatement::StepResult::kRow;
  company.Reset();
  if (!company_found) {
    *error = "the books hold no company data " + std::to_string(data_number);
    return false;
  }
  if (!user.Bind(1, data_number) || !user.BindText(2, user_id) || !user.Run()) {
    *error = "cannot change the books file " + path + ": " + database->LastError();
    return false;
  }
  if (database->Changes() != 1) {
    *error = "the books have no user " + user_id;
    return false;
  }
  if (!current.BindText(1, user_id) || !current.Run() || !transaction.Commit()) {
    *error = "cannot change the books file " + path + ": " + database->LastError();
    return false;
  }
  return true;
}

}  // namespace vintor::books
