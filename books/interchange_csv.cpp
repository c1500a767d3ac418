#include "books/interchange_csv.h"

#include <algorithm>

namespace vintor::books {

bool CsvReader::Next(CsvRecord* record) {
  if (failed() || position_ >= text_.size()) return false;
  record->line = line_;
  // Reuses the record's strings: a table is read into the same few buffers line by line.
  std::size_t count = 0;
  for (;;) {
    if (count == record->fields.size()) record->fields.emplace_back();
    std::string& field = record->fields[count++];
    field.clear();
    const bool read = position_ < text_.size() && text_[position_] == '"' ? ReadQuoted(&field)
                                                                          : ReadUnquoted(&field);
    if (!read) return false;
    if (position_ < text_.size() && text_[position_] == ',') {
      ++position_;
      continue;
    }
    // The line's end or the text's end.
    if (position_ < text_.size()) {
      ++position_;
      ++line_;
    }
    break;
  }
  record->fields.resize(count);
  return true;
}

bool CsvReader::ReadQuoted(std::string* field) {
  const int opening_line = line_;
  ++position_;
  for (;;) {
    const std::size_t quote = text_.find('"', position_);
    if (quote == std::string_view::npos)
      return Fail(opening_line, "a quoted field is never closed");
    const std::string_view part = text_.substr(position_, quote - position_);
    field->append(part);
    line_ += static_cast<int>(std::count(part.begin(), part.end(), '\n'));
    position_ = quote + 1;
    if (position_ < text_.size() && text_[position_] == '"') {
      *field += '"';
      ++position_;
      continue;
    }
    break;
  }
  if (text_.substr(position_, 2) == "\r\n") ++position_;
  if (position_ < text_.size() && text_[position_] != ',' && text_[position_] != '\n')
    return Fail(line_, "a closing quote is followed by something other than a comma");
  return true;
}

bool CsvReader::ReadUnquoted(std::string* field) {
  // A plain loop: find_first_of looks each byte up in the set with a call of its own.
  std::size_t end = position_;
  while (end < text_.size() && text_[end] != ',' && text_[end] != '\n') ++end;
  std::string_view part = text_.substr(position_, end - position_);
  if (end < text_.size() && text_[end] == '\n' && !part.empty() && part.back() == '\r')
    part.remove_suffix(1);
  if (part.find('"') != std::string_view::npos)
    return Fail(line_, "a double quote inside an unquoted field");
  if (part.find('\r') != std::string_view::npos)
    return Fail(line_, "a carriage return without a line feed");
  field->assign(part);
  position_ = end;
  return true;
}

bool CsvReader::Fail(int line, std::string message) {
  problem_line_ = line;
  problem_ = std::move(message);
  return false;
}

void AppendCsvField(std::string* out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out->append(field);
    return;
  }
  *out += '"';
  for (const char c : field) {
    if (c == '"') *out += '"';
    *out += c;
  }
  *out += '"';
}

void AppendCsvRecord(std::string* out, const std::vector<std::string>& fields) {
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) *out += ',';
    AppendCsvField(out, fields[k]);
  }
  *out += '\n';
}

}  // namespace vintor::books
