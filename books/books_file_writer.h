// Fills a new, empty database with a BooksData and the tables derived from it, through a
// BooksFileBuilder. Used by WriteBooksFile on its temporary file; the caller owns the file
// and its fate.
#pragma once

#include <string>

#include "books/books_data.h"
#include "books/compact_journal.h"
#include "books/sqlite_database.h"

namespace vintor::books {

class BooksFileWriter {
 public:
  // database is not owned; it must be new and empty.
  explicit BooksFileWriter(SqliteDatabase& database) : database_(database) {}

  // Computes the monthly totals of each company and orders its journal (refusing
  // inconsistent data before the company is written), then writes everything in one
  // transaction and syncs the file. False with *error set on any failure; the database is
  // then unfit for use.
  bool Write(const BooksData& data, std::string* error) { return Write(data, nullptr, error); }

  // The same for books whose vouchers and journal lines are kept in *journal (the
  // companies of data have no vouchers): the same file as for the BooksData with those
  // vouchers. journal null: the vouchers are data's own.
  bool Write(const BooksData& data, const CompactJournal* journal, std::string* error);

 private:
  SqliteDatabase& database_;
};

}  // namespace vintor::books
