// Fixed-point amounts in sign, whole-yen and ten-thousandths form, used for all arithmetic
// while balances are totalled.
//
// A "scaled amount" is a signed 64-bit count of ten-thousandths of a yen (yen x 10 000), the
// unit of every amount the books deliver and of every amount kept in a statement line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vintor::statements {

// Raised by FixedAmount when a result cannot be held. The overflow-tested Sum raises it when
// the magnitude reaches kSumLimit; every other operation raises it only when the exact result
// lies outside -INT64_MAX..INT64_MAX. It is the only error the statement code raises; the
// caller stops the run without writing a report.
class FixedAmountOverflow : public std::overflow_error {
 public:
  explicit FixedAmountOverflow(const std::string& what) : std::overflow_error(what) {}
};

// An amount held as sign (+1 or -1, zero is +1), whole yen (never negative) and fraction
// (0..9 999 ten-thousandths). Every operation works through the scaled form and normalises
// its result again, so two equal amounts always have equal fields.
//
// The magnitude never exceeds INT64_MAX scaled units, so ToScaled never overflows; a result
// that would leave that range raises FixedAmountOverflow instead of wrapping.
class FixedAmount {
 public:
  // The limit of the overflow-tested Sum: 10^18 scaled units (10^14 yen).
  static constexpr std::int64_t kSumLimit = 1'000'000'000'000'000'000;
  static constexpr std::int64_t kScale = 10'000;

  // Zero.
  FixedAmount() = default;
  // A whole-yen amount.
  explicit FixedAmount(std::int32_t whole_yen);
  // Any other integer type is refused at compile time, so that a scaled amount can never be
  // taken for whole yen by accident; scaled amounts go through FromScaled.
  template <typename Integer>
  explicit FixedAmount(Integer) = delete;

  // The amount of a scaled value. Throws FixedAmountOverflow for INT64_MIN, whose magnitude
  // has no positive counterpart.
  static FixedAmount FromScaled(std::int64_t scaled);

  // The sum of a stored scaled amount and a value, as used to add a line's balance and an
  // amount carried over. Not overflow-tested beyond the int64 range (see the class comment).
  static FixedAmount SumOfScaled(std::int64_t scaled, const FixedAmount& value);

  std::int16_t sign() const { return sign_; }
  std::int64_t whole() const { return whole_; }
  std::int32_t fraction() const { return fraction_; }

  // (whole x 10 000 + fraction) x sign.
  std::int64_t ToScaled() const;

  // The overflow-tested sum: throws FixedAmountOverflow when the magnitude of the result is
  // kSumLimit or more.
  FixedAmount Sum(const FixedAmount& other) const;
  // this - other, without the kSumLimit test.
  FixedAmount Difference(const FixedAmount& other) const;
  // this = this + other, without the kSumLimit test. On an overflow this is left unchanged.
  void AddInPlace(const FixedAmount& other);

  friend bool operator==(const FixedAmount& a, const FixedAmount& b) {
    return a.sign_ == b.sign_ && a.whole_ == b.whole_ && a.fraction_ == b.fraction_;
  }
  friend bool operator!=(const FixedAmount& a, const FixedAmount& b) { return !(a == b); }
  // Against whole yen: true whenever the amount has a fraction, else when the yen differ.
  friend bool operator!=(const FixedAmount& a, std::int32_t whole_yen);

 private:
  std::int16_t sign_ = 1;
  std::int64_t whole_ = 0;
  std::int32_t fraction_ = 0;
};

}  // namespace vintor::statements
