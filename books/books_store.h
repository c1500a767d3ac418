// The books file: one SQLite database that holds a BooksData, with the tables derived from
// it that make the library's cursors fast (monthly totals per account, postings per account
// in date order). Texts are stored as UTF-8 and handed out as CP932.
#pragma once

#include <functional>
#include <string>

#include "books/books_data.h"
#include "books/sqlite_database.h"

namespace vintor::os {
class Os;
}

namespace vintor::books {

// Writes data as a new books file at path, replacing any file there only when the whole
// file is complete (the old file survives any failure). The monthly totals are computed
// here, once. data must be consistent, as `tavrel import` checks it (every key known, every
// voucher balanced); a total that would overflow 64 bits is refused. False with *error set
// when the file cannot be written; the old file is then untouched.
bool WriteBooksFile(const std::string& path, const BooksData& data, std::string* error);

// The same, with the file operations around the database (checking for, moving and
// removing the temporary file) going through os, so a test can make them fail.
bool WriteBooksFile(os::Os& os, const std::string& path, const BooksData& data, std::string* error);

// Fills a database with books: the whole of a books file, from the tables to the final
// sync (BooksFileWriter, or a BooksFileBuilder driven to Finish). False with *error set
// when the books cannot be written.
using BooksFill = std::function<bool(SqliteDatabase& database, std::string* error)>;

// Builds a new books file at path with fill, on a temporary file beside it that replaces
// any file at path only once fill has succeeded (the old file survives any failure), so
// books too large to hold whole can be written as they are made or read. False with *error
// set when the file cannot be written; the old file is then untouched.
bool BuildBooksFile(os::Os& os, const std::string& path, const BooksFill& fill, std::string* error);

// Reads everything back in the order it was written. False with *error set when the file
// is missing, not a plain file, unreadable, not a books file or damaged (CheckBooksFile, a
// value of the wrong kind, a journal line out of its voucher's places). Opens the file
// read-only.
bool ReadBooksFile(const std::string& path, BooksData* data, std::string* error);

// Changes the selection of one user (and makes that user the current user), in place.
// False with *error set when the user or the company data does not exist.
bool SelectCompany(const std::string& path, const std::string& user_id, int data_number,
                   std::string* error);

}  // namespace vintor::books
