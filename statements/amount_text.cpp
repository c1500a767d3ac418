#include "statements/amount_text.h"

#include <charconv>

namespace vintor::statements {

std::string AmountText(std::int64_t scaled) {
  // Integer division truncates toward zero, which is the rounding the report wants, and it
  // is defined for INT64_MIN (only a division by -1 could overflow).
  const std::int64_t yen = scaled / 10'000;
  if (yen == 0) return {};
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, yen);
  return std::string(digits, result.ptr);
}

}  // namespace vintor::statements
