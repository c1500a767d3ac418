// The value forms of the books' interchange files: numbers, amounts, dates, account
// characters and the formulas of total accounts. Reading is strict (one spelling per value
// apart from leading zeros); writing gives the canonical spelling, which reads back to the
// same value, so import followed by export reproduces canonical files byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vintor::books {

// The largest magnitude of one amount: 99 999 999 999.9999 yen, scaled by 10 000.
inline constexpr std::int64_t kMaxAmount = 999'999'999'999'999;

// A decimal integer: an optional "-", then one or more digits, nothing else. False when the
// text has another form or the value lies outside [min, max]; *value is then unchanged.
bool ParseInteger(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t* value);

enum class AmountProblem {
  kNone,
  kNotAnAmount,      // not "-", digits, optionally "." and digits
  kTooManyDecimals,  // more than four digits after the point
  kOutOfRange,       // magnitude above kMaxAmount
};

// Parses yen with up to four decimals ("1234", "-1234.5", "0.0001") into a scaled amount.
// *scaled is set only when the result is kNone.
AmountProblem ParseAmount(std::string_view text, std::int64_t* scaled);

// The canonical text of a scaled amount: no trailing zeros in the fraction, no fraction
// when it is zero, "-" only for values below zero. Any 64-bit value is written.
std::string FormatAmount(std::int64_t scaled);

// "0x" followed by exactly eight hexadecimal digits (either case). False on any other form.
bool ParseCharacter(std::string_view text, std::uint32_t* character);

// "0x" and eight upper-case hexadecimal digits.
std::string FormatCharacter(std::uint32_t character);

// One term of a total account's formula: "+" or "-" followed by either a character mask
// (0xMMMMMMMM) or one account (#KEY).
struct FormulaTerm {
  bool negative = false;
  bool is_mask = false;
  std::uint32_t mask = 0;  // when is_mask
  std::int32_t key = 0;    // when !is_mask
};

// Splits a formula into its terms: one or more terms separated by one or more blanks, no
// blanks before the first or after the last. False with *error naming the first bad term
// (or saying what else is wrong), phrased to follow the column name ("formula: ..."); *terms
// is then unspecified.
bool ParseFormula(std::string_view formula, std::vector<FormulaTerm>* terms, std::string* error);

}  // namespace vintor::books
