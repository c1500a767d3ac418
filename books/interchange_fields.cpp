#include "books/interchange_fields.h"

#include <limits>

namespace vintor::books {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Accumulates the digits of text into *magnitude, stopping early with false once the value
// exceeds limit: leading zeros cost nothing, so "000…001" of any length still reads.
bool AccumulateDigits(std::string_view digits, std::uint64_t limit, std::uint64_t* magnitude) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return false;
  }
  *magnitude = value;
  return true;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

}  // namespace

bool ParseInteger(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t* value) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (!AllDigits(text)) return false;
  // The magnitude of INT64_MIN is one more than INT64_MAX; no caller needs it, so the
  // limit is INT64_MAX for both signs.
  std::uint64_t magnitude = 0;
  if (!AccumulateDigits(text, std::numeric_limits<std::int64_t>::max(), &magnitude)) return false;
  const std::int64_t result =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (result < min || result > max) return false;
  *value = result;
  return true;
}

AmountProblem ParseAmount(std::string_view text, std::int64_t* scaled) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::string_view whole = text;
  std::string_view fraction;
  if (const std::size_t point = text.find('.'); point != std::string_view::npos) {
    whole = text.substr(0, point);
    fraction = text.substr(point + 1);
    if (!AllDigits(fraction)) return AmountProblem::kNotAnAmount;
  }
  if (!AllDigits(whole)) return AmountProblem::kNotAnAmount;
  if (fraction.size() > 4) return AmountProblem::kTooManyDecimals;
  std::uint64_t yen = 0;
  if (!AccumulateDigits(whole, kMaxAmount / 10'000, &yen)) return AmountProblem::kOutOfRange;
  std::uint64_t ten_thousandths = 0;
  AccumulateDigits(fraction, 9'999, &ten_thousandths);
  for (std::size_t k = fraction.size(); k < 4; ++k) ten_thousandths *= 10;
  const auto magnitude = static_cast<std::int64_t>(yen * 10'000 + ten_thousandths);
  *scaled = negative ? -magnitude : magnitude;
  return AmountProblem::kNone;
}

std::string FormatAmount(std::int64_t scaled) {
  // Unsigned arithmetic so that the most negative value has a magnitude too.
  const std::uint64_t magnitude =
      scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  std::string text = scaled < 0 ? "-" : "";
  text += std::to_string(magnitude / 10'000);
  std::uint64_t fraction = magnitude % 10'000;
  if (fraction != 0) {
    int digits = 4;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    const std::string fraction_text = std::to_string(fraction);
    text += '.';
    text.append(static_cast<std::size_t>(digits) - fraction_text.size(), '0');
    text += fraction_text;
  }
  return text;
}

bool ParseCharacter(std::string_view text, std::uint32_t* character) {
  if (text.size() != 10 || text[0] != '0' || text[1] != 'x') return false;
  std::uint32_t value = 0;
  for (const char c : text.substr(2)) {
    const int digit = HexValue(c);
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  *character = value;
  return true;
}

std::string FormatCharacter(std::uint32_t character) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(character >> shift) & 0xF];
  return text;
}

bool ParseFormula(std::string_view formula, std::vector<FormulaTerm>* terms, std::string* error) {
  terms->clear();
  if (formula.empty()) {
    *error = "a total account needs one";
    return false;
  }
  if (formula.front() == ' ' || formula.back() == ' ') {
    *error = "begins or ends with a blank";
    return false;
  }
  std::size_t position = 0;
  while (position < formula.size()) {
    std::size_t end = formula.find(' ', position);
    if (end == std::string_view::npos) end = formula.size();
    const std::string_view term = formula.substr(position, end - position);
    FormulaTerm parsed;
    std::int64_t key = 0;
    const bool signed_term = term.size() >= 2 && (term[0] == '+' || term[0] == '-');
    parsed.negative = signed_term && term[0] == '-';
    if (signed_term && term[1] == '#' &&
        ParseInteger(term.substr(2), 1, std::numeric_limits<std::int32_t>::max(), &key)) {
      parsed.key = static_cast<std::int32_t>(key);
    } else if (signed_term && ParseCharacter(term.substr(1), &parsed.mask)) {
      parsed.is_mask = true;
    } else {
      *error = "term \"" + std::string(term) + "\" is neither +/-0xMMMMMMMM nor +/-#KEY";
      return false;
    }
    terms->push_back(parsed);
    // Several blanks in a row separate two terms as one does.
    position = formula.find_first_not_of(' ', end);
  }
  return true;
}

}  // namespace vintor::books
