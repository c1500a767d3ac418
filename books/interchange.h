// The books' interchange format: a folder of UTF-8 CSV tables and notes texts that
// `tavrel import` reads and `tavrel export` writes (docs/books-format.md describes it for
// the people who write such folders by hand).
//
// Both functions reach the files through the Os they are given. The folder is a CP932 path
// with or without a trailing separator.
#pragma once

#include <string>

#include "books/books_data.h"
#include "books/compact_journal.h"
#include "os/os.h"

namespace vintor::books {

// Reads the folder and checks every row: keys, references, dates against the period,
// balances, CP932, field lengths. False on the first problem, with *error set to
// "file:line: message" (the file named relative to the folder, with "/" between folder
// names) or "file: message" when a file cannot be read; *data is then untouched.
bool ReadInterchange(os::Os& os, const std::string& folder, BooksData* data, std::string* error);

// The same, with the vouchers and their lines kept compactly in *journal (new, not owned)
// instead of in *data, whose companies then have no vouchers: how a large journal is
// imported without a Voucher and a string per line. On failure *journal is unfit for use.
bool ReadInterchange(os::Os& os, const std::string& folder, BooksData* data,
                     CompactJournal* journal, std::string* error);

// Writes data in the canonical form, creating the folder (not its parents) and the notes
// folders when missing and replacing each file whole. Rows keep the order of data; journal
// lines are written voucher by voucher. False with *error set when a file cannot be
// written or a text is not CP932; the files written before the failure stay.
bool WriteInterchange(os::Os& os, const std::string& folder, const BooksData& data,
                      std::string* error);

}  // namespace vintor::books
