// Fills a new, empty database with a BooksData and the tables derived from it. Used by
// WriteBooksFile on its temporary file; the caller owns the file and its fate.
#pragma once

#include <string>

#include "books/books_data.h"
#include "books/sqlite_database.h"

namespace vintor::books {

class BooksFileWriter {
 public:
  // database is not owned; it must be new and empty.
  explicit BooksFileWriter(SqliteDatabase& database) : database_(database) {}

  // Computes the derived tables of every company (refusing inconsistent data before
  // anything is written), then writes everything in one transaction and syncs the file.
  // False with *error set on any failure; the database is then unfit for use.
  bool Write(const BooksData& data, std::string* error);

 private:
  bool WriteCommon(const BooksData& data);
  bool WriteCompany(std::int64_t company_id, const CompanyBooks& books, std::int64_t first_line_id,
                    std::string* error);

  SqliteDatabase& database_;
};

}  // namespace vintor::books
