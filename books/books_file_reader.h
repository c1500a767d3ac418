// Reads the plain data of a books file back into a BooksData, in written order. The
// derived tables (totals, postings) are not read: they follow from the data.
#pragma once

#include <string>

#include "books/books_data.h"
#include "books/sqlite_database.h"

namespace vintor::books {

class BooksFileReader {
 public:
  // database is not owned; it must be a books file (IsBooksDatabase).
  explicit BooksFileReader(SqliteDatabase& database) : database_(database) {}

  // False with *error set when a query fails or a stored text has no CP932 form.
  bool Read(BooksData* data, std::string* error);

 private:
  bool ReadCommon(BooksData* data);
  bool ReadCompanies(BooksData* data);
  bool ReadCharts(BooksData* data);
  bool ReadJournal(BooksData* data);
  bool ReadSavedTexts(BooksData* data);

  SqliteDatabase& database_;
};

}  // namespace vintor::books
