#include "statements/fixed_amount.h"

#include <cstdint>
#include <limits>

namespace vintor::statements {

namespace {

[[noreturn]] void ThrowOverflow(const char* operation) {
  throw FixedAmountOverflow(std::string("FixedAmount overflow in ") + operation);
}

// Adds two scaled amounts whose magnitudes are at most INT64_MAX. The exact sum fits int64
// or the builtin reports it; INT64_MIN is refused as well because it cannot be normalised.
std::int64_t AddScaled(std::int64_t a, std::int64_t b, const char* operation) {
  std::int64_t result = 0;
  if (__builtin_add_overflow(a, b, &result) || result == std::numeric_limits<std::int64_t>::min()) {
    ThrowOverflow(operation);
  }
  return result;
}

std::int64_t SubtractScaled(std::int64_t a, std::int64_t b, const char* operation) {
  std::int64_t result = 0;
  if (__builtin_sub_overflow(a, b, &result) || result == std::numeric_limits<std::int64_t>::min()) {
    ThrowOverflow(operation);
  }
  return result;
}

}  // namespace

FixedAmount::FixedAmount(std::int32_t whole_yen) {
  // Widen before negating: -INT32_MIN does not fit int32.
  const std::int64_t yen = whole_yen;
  sign_ = yen < 0 ? -1 : 1;
  whole_ = yen < 0 ? -yen : yen;
}

FixedAmount FixedAmount::FromScaled(std::int64_t scaled) {
  if (scaled == std::numeric_limits<std::int64_t>::min()) ThrowOverflow("FromScaled");
  const std::int64_t magnitude = scaled < 0 ? -scaled : scaled;
  FixedAmount amount;
  amount.sign_ = scaled < 0 ? -1 : 1;
  amount.whole_ = magnitude / kScale;
  amount.fraction_ = static_cast<std::int32_t>(magnitude % kScale);
  return amount;
}

FixedAmount FixedAmount::SumOfScaled(std::int64_t scaled, const FixedAmount& value) {
  return FromScaled(AddScaled(scaled, value.ToScaled(), "SumOfScaled"));
}

std::int64_t FixedAmount::ToScaled() const {
  // whole_ <= INT64_MAX / kScale holds for every normalised value, so this cannot overflow.
  const std::int64_t magnitude = whole_ * kScale + fraction_;
  return sign_ < 0 ? -magnitude : magnitude;
}

FixedAmount FixedAmount::Sum(const FixedAmount& other) const {
  std::int64_t result = 0;
  if (__builtin_add_overflow(ToScaled(), other.ToScaled(), &result) || result >= kSumLimit ||
      result <= -kSumLimit) {
    ThrowOverflow("Sum");
  }
  return FromScaled(result);
}

FixedAmount FixedAmount::Difference(const FixedAmount& other) const {
  return FromScaled(SubtractScaled(ToScaled(), other.ToScaled(), "Difference"));
}

void FixedAmount::AddInPlace(const FixedAmount& other) {
  *this = FromScaled(AddScaled(ToScaled(), other.ToScaled(), "AddInPlace"));
}

bool operator!=(const FixedAmount& a, std::int32_t whole_yen) {
  return a.fraction_ != 0 ||
         a.ToScaled() != static_cast<std::int64_t>(whole_yen) * FixedAmount::kScale;
}

}  // namespace vintor::statements
