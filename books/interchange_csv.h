// The CSV form of the books' interchange tables: records of fields separated by commas,
// one record per line, fields holding a comma, a double quote or a line break in double
// quotes with inner quotes doubled. Lines end with LF; a CR before the LF is dropped on
// reading. Works on CP932 bytes as well as on UTF-8: the bytes that give the form (comma,
// quote, CR, LF) are never part of a double-byte character in either.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vintor::books {

struct CsvRecord {
  int line = 0;  // the line the record starts on, counting from 1
  std::vector<std::string> fields;
};

// Reads the records of a text one at a time, so that a table of a million lines never
// exists as a million records.
class CsvReader {
 public:
  // text must outlive the reader. first_line is the number of the text's first line: a
  // piece of a larger text that starts a record counts its lines on from there.
  explicit CsvReader(std::string_view text, int first_line = 1) : text_(text), line_(first_line) {}

  // Fills *record with the next record and returns true; false at the end of the text or
  // on the first problem (then failed() is true). A line break inside quotes belongs to the
  // field, bytes and all (CR LF stays CR LF there). An LF at the end of the text ends the
  // last record rather than starting an empty one. Problems: a quote inside an unquoted
  // field, something other than a comma or the line's end after a closing quote, a quote
  // that is never closed, a CR that is not followed by LF outside quotes.
  bool Next(CsvRecord* record);

  bool failed() const { return !problem_.empty(); }
  // The line of the problem and what it is.
  int problem_line() const { return problem_line_; }
  const std::string& problem() const { return problem_; }

 private:
  bool ReadQuoted(std::string* field);
  bool ReadUnquoted(std::string* field);
  bool Fail(int line, std::string message);

  std::string_view text_;
  std::size_t position_ = 0;
  int line_ = 1;
  int problem_line_ = 0;
  std::string problem_;
};

// Appends one field, quoted only when it must be.
void AppendCsvField(std::string* out, std::string_view field);

// Appends the fields separated by commas, then LF.
void AppendCsvRecord(std::string* out, const std::vector<std::string>& fields);

}  // namespace vintor::books
