// The tables of a books file and the marker that tells a books file from any other SQLite
// database. docs/books-library.md describes every table.
#pragma once

#include <string>

#include "books/books_data.h"
#include "books/sqlite_database.h"

namespace vintor::books {

inline constexpr char kBooksFormatName[] = "vintor books";
inline constexpr int kBooksFormatVersion = 1;

// Creates the empty tables and the format marker in a new database.
bool CreateBooksTables(SqliteDatabase& database);

// Creates the indexes that are not part of a table's key. Run after the bulk insert, when
// building an index in one pass is much cheaper than keeping it up to date row by row.
bool CreateBooksIndexes(SqliteDatabase& database);

// The columns of a company, in the order ReadCompanyColumns reads them.
#define VINTOR_COMPANY_COLUMNS                                                              \
  "data_number, data_id, name, first_day, last_day, has_cost_schedule, interim_settlement," \
  " introduction_month, companies_act, tax_included"

// Reads a company from the row's VINTOR_COMPANY_COLUMNS, which begin at column first.
// False when a text does not convert.
bool ReadCompanyColumns(SqliteStatement& row, int first, Company* company);

// True when the database carries the marker of this format and version. False with *error
// saying why (not a database at all, another kind of database, another version).
bool IsBooksDatabase(SqliteDatabase& database, std::string* error);

// Which tables SQLite's quick check goes over.
enum class PageCheck {
  kWholeFile,
  // Every table but the journal's (vouchers, journal lines, postings), which are most of the
  // file: their reader checks what it reads against what was derived from it
  // (company_journal.h), and the statements never read them.
  kAllButJournal,
};

// True when a books file is sound enough to read: its tables and indexes are exactly the
// ones this version creates (none dropped, none changed), and SQLite's quick check finds
// every page and every row in order in the tables pages names. A file damaged on disk or
// changed behind the library's back fails here, before any number of it is used. False
// with *error saying what is wrong (SQLite's own message, or the table that differs).
bool CheckBooksFile(SqliteDatabase& database, std::string* error,
                    PageCheck pages = PageCheck::kWholeFile);

}  // namespace vintor::books
