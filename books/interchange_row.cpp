#include "books/interchange_row.h"

#include <algorithm>

#include "books/accounting_period.h"
#include "books/interchange_fields.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

bool LooksLikeInteger(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::int64_t InterchangeRow::Integer(std::size_t column, std::int64_t min, std::int64_t max) {
  const std::string& field = record_.fields[column];
  std::int64_t value = 0;
  if (ParseInteger(field, min, max, &value)) return value;
  if (!LooksLikeInteger(field)) {
    FailColumn(column, Quoted(column) + " is not a number");
  } else {
    FailColumn(column, field + " is outside " + std::to_string(min) + " to " + std::to_string(max));
  }
  return 0;
}

bool InterchangeRow::Flag(std::size_t column) {
  const std::string& field = record_.fields[column];
  if (field == "0" || field == "1") return field == "1";
  FailColumn(column, Quoted(column) + " is not 0 or 1");
  return false;
}

std::int64_t InterchangeRow::Amount(std::size_t column) {
  const std::string& field = record_.fields[column];
  std::int64_t scaled = 0;
  switch (ParseAmount(field, &scaled)) {
    case AmountProblem::kNone:
      return scaled;
    case AmountProblem::kNotAnAmount:
      FailColumn(column, Quoted(column) + " is not an amount");
      break;
    case AmountProblem::kTooManyDecimals:
      FailColumn(column, field + " has more than four decimals");
      break;
    case AmountProblem::kOutOfRange:
      FailColumn(column, field + " is out of range (at most 99999999999.9999 yen either way)");
      break;
  }
  return 0;
}

std::int32_t InterchangeRow::Date(std::size_t column) {
  const std::string& field = record_.fields[column];
  std::int64_t value = 0;
  if (field.size() != 8 || field[0] == '-' || !ParseInteger(field, 0, 99'999'999, &value)) {
    FailColumn(column, Quoted(column) + " is not a date YYYYMMDD");
    return 0;
  }
  if (!IsCalendarDate(static_cast<std::int32_t>(value))) {
    FailColumn(column, field + " is not a calendar date");
    return 0;
  }
  return static_cast<std::int32_t>(value);
}

std::uint32_t InterchangeRow::Character(std::size_t column) {
  std::uint32_t character = 0;
  if (ParseCharacter(record_.fields[column], &character)) return character;
  FailColumn(column, Quoted(column) + " is not 0x and eight hexadecimal digits");
  return 0;
}

std::string InterchangeRow::Text(std::size_t column, std::size_t max_bytes, bool required) {
  const std::string& field = record_.fields[column];
  // No byte of a double-byte CP932 character lies below 0x20 or is 0x7F, so a plain byte
  // scan finds exactly the control characters.
  const auto control = std::find_if(field.begin(), field.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
  if (control != field.end()) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(*control);
    FailColumn(column, std::string("holds the control character U+00") + kHex[byte >> 4] +
                           kHex[byte & 0xF] + " at byte " +
                           std::to_string(control - field.begin() + 1));
  } else if (required && field.empty()) {
    FailColumn(column, "must not be empty");
  } else if (max_bytes != 0 && field.size() > max_bytes) {
    FailColumn(column, Quoted(column) + " has " + std::to_string(field.size()) +
                           " bytes in CP932, at most " + std::to_string(max_bytes) + " allowed");
  }
  return field;
}

bool InterchangeRow::Fail(std::string_view message) {
  if (error_.empty()) {
    error_.append(file_).append(":").append(std::to_string(record_.line)).append(": ");
    error_.append(message);
  }
  return false;
}

bool InterchangeRow::FailColumn(std::size_t column, std::string_view message) {
  return Fail(std::string(columns_[column]) + ": " + std::string(message));
}

std::string InterchangeRow::Quoted(std::size_t column) const {
  constexpr std::size_t kShown = 40;
  const std::string& field = record_.fields[column];
  const std::string_view shown = text::PrefixOnCharacterBoundary(field, kShown);
  return "\"" + std::string(shown) + (shown.size() < field.size() ? "...\"" : "\"");
}

}  // namespace vintor::books
