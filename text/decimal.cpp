#include "text/decimal.h"

#include <algorithm>

namespace vintor::text {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::int32_t ParseDecimal(std::string_view text) {
  std::size_t k = 0;
  while (k < text.size() && IsBlank(text[k])) ++k;
  bool negative = false;
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) negative = text[k++] == '-';
  // The magnitude is clamped after every digit, so it stays far inside 64 bits however
  // long the digit run is; the negative side reaches one further than the positive.
  const std::int64_t limit = negative ? -std::int64_t{INT32_MIN} : std::int64_t{INT32_MAX};
  std::int64_t magnitude = 0;
  for (; k < text.size() && IsDigit(text[k]); ++k)
    magnitude = std::min(magnitude * 10 + (text[k] - '0'), limit);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace vintor::text
