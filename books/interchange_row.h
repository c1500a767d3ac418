// Typed access to the fields of one record of an interchange table, for the import. Every
// accessor checks its field; the first field that fails sets the row's error, in the form
// "file:line: column: problem", and later accessors leave it alone. The caller reads all
// fields of a row, then asks ok() once, so the first bad field in column order is named.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "books/interchange_csv.h"

namespace vintor::books {

class InterchangeRow {
 public:
  // file, record and columns must outlive the row; the record has as many fields as there
  // are columns (the reader checks that first).
  InterchangeRow(std::string_view file, const CsvRecord& record,
                 const std::vector<std::string_view>& columns)
      : file_(file), record_(record), columns_(columns) {}

  // A decimal integer within [min, max].
  std::int64_t Integer(std::size_t column, std::int64_t min, std::int64_t max);
  std::int32_t Int32(std::size_t column, std::int32_t min, std::int32_t max) {
    return static_cast<std::int32_t>(Integer(column, min, max));
  }
  bool Flag(std::size_t column);
  // Yen with up to four decimals, scaled by 10 000.
  std::int64_t Amount(std::size_t column);
  // A calendar date YYYYMMDD.
  std::int32_t Date(std::size_t column);
  std::uint32_t Character(std::size_t column);
  // CP932 text of at most max_bytes bytes (0: no limit); required refuses an empty field.
  // A control character (U+0000-U+001F, U+007F: TAB, CR and LF included, even inside
  // quotes) is refused in every text field.
  std::string Text(std::size_t column, std::size_t max_bytes, bool required);

  bool ok() const { return error_.empty(); }
  int line() const { return record_.line; }
  // Sets "file:line: message" unless an error is already set. Returns false.
  bool Fail(std::string_view message);
  // Sets "file:line: column: message" unless an error is already set. Returns false.
  bool FailColumn(std::size_t column, std::string_view message);
  const std::string& error() const { return error_; }

 private:
  // The field quoted for a message, cut short on a character boundary when long.
  std::string Quoted(std::size_t column) const;

  std::string_view file_;
  const CsvRecord& record_;
  const std::vector<std::string_view>& columns_;
  std::string error_;
};

}  // namespace vintor::books
