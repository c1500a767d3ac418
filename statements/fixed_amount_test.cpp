#include "statements/fixed_amount.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace vintor::statements {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kLimit = FixedAmount::kSumLimit;

// A scaled amount must never be taken for whole yen by an implicit narrowing.
static_assert(std::is_constructible_v<FixedAmount, std::int32_t>);
static_assert(!std::is_constructible_v<FixedAmount, std::int64_t>);
static_assert(!std::is_convertible_v<std::int32_t, FixedAmount>);
static_assert(std::is_base_of_v<std::overflow_error, FixedAmountOverflow>);

FixedAmount S(std::int64_t scaled) {
  return FixedAmount::FromScaled(scaled);
}

TEST(FixedAmountTest, NormalisesIntoSignWholeAndFraction) {
  struct Case {
    std::int64_t scaled;
    int sign;
    std::int64_t whole;
    int fraction;
  } const cases[] = {
      {0, 1, 0, 0},
      {1, 1, 0, 1},
      {-1, -1, 0, 1},
      {-9999, -1, 0, 9999},
      {-15000, -1, 1, 5000},
      {123456789, 1, 12345, 6789},
      {kMax, 1, 922337203685477, 5807},
      {-kMax, -1, 922337203685477, 5807},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scaled);
    const FixedAmount amount = S(c.scaled);
    EXPECT_EQ(amount.sign(), c.sign);
    EXPECT_EQ(amount.whole(), c.whole);
    EXPECT_EQ(amount.fraction(), c.fraction);
    EXPECT_EQ(amount.ToScaled(), c.scaled);
  }
}

TEST(FixedAmountTest, WholeYenConstructionCoversTheInt32Range) {
  const FixedAmount lowest(std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(lowest.sign(), -1);
  EXPECT_EQ(lowest.whole(), 2147483648);
  EXPECT_EQ(lowest.ToScaled(), -21474836480000);
  EXPECT_EQ(FixedAmount(0), FixedAmount());
  EXPECT_EQ(FixedAmount(0).sign(), 1);
}

TEST(FixedAmountTest, ZeroResultsAreHeldWithPositiveSign) {
  EXPECT_EQ(S(-5).Sum(S(5)).sign(), 1);
  EXPECT_EQ(S(-5).Difference(S(-5)).sign(), 1);
  FixedAmount amount = S(-7);
  amount.AddInPlace(S(7));
  EXPECT_EQ(amount, FixedAmount());
}

TEST(FixedAmountTest, SumThrowsFromTheLimitOn) {
  struct Case {
    std::int64_t a;
    std::int64_t b;
    bool throws;
  } const cases[] = {
      {kLimit - 1, 0, false}, {kLimit - 2, 1, false},    {kLimit - 1, 1, true},
      {kLimit, 0, true},      {-(kLimit - 1), 0, false}, {-(kLimit - 1), -1, true},
      {kLimit, -1, false},    {kMax, kMax, true},        {-kMax, -kMax, true},
      {kMax, -kMax, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " + " << c.b);
    if (c.throws) {
      EXPECT_THROW(S(c.a).Sum(S(c.b)), FixedAmountOverflow);
    } else {
      EXPECT_EQ(S(c.a).Sum(S(c.b)).ToScaled(), c.a + c.b);
    }
  }
}

TEST(FixedAmountTest, UncheckedOperationsPassTheLimitButNeverWrap) {
  EXPECT_EQ(S(kLimit).Difference(S(-kLimit)).ToScaled(), 2 * kLimit);
  EXPECT_THROW(S(kMax).Difference(S(-1)), FixedAmountOverflow);
  // -INT64_MAX - 1 fits int64 but has no magnitude to normalise into.
  EXPECT_THROW(S(-kMax).Difference(S(1)), FixedAmountOverflow);

  FixedAmount amount = S(kLimit);
  amount.AddInPlace(S(kLimit));
  EXPECT_EQ(amount.ToScaled(), 2 * kLimit);
  amount = S(kMax - 1);
  amount.AddInPlace(S(1));
  EXPECT_EQ(amount.ToScaled(), kMax);
  EXPECT_THROW(amount.AddInPlace(S(1)), FixedAmountOverflow);
  EXPECT_EQ(amount.ToScaled(), kMax);  // unchanged by the failed addition
}

TEST(FixedAmountTest, SumOfScaledWorksOnTheScaledForm) {
  EXPECT_EQ(FixedAmount::SumOfScaled(-15000, S(20001)), S(5001));
  EXPECT_EQ(FixedAmount::SumOfScaled(kMin, S(1)).ToScaled(), kMin + 1);
  EXPECT_THROW(FixedAmount::SumOfScaled(kMin, FixedAmount()), FixedAmountOverflow);
  EXPECT_THROW(FixedAmount::SumOfScaled(kMax, S(1)), FixedAmountOverflow);
  EXPECT_THROW(FixedAmount::FromScaled(kMin), FixedAmountOverflow);
}

TEST(FixedAmountTest, InequalityAgainstWholeYenSeesTheFraction) {
  struct Case {
    std::int64_t scaled;
    std::int32_t yen;
    bool differs;
  } const cases[] = {
      {0, 0, false},       {10000, 1, false}, {10001, 1, true}, {5000, 0, true},
      {-20000, -2, false}, {-20000, 2, true}, {-9999, 0, true}, {9990000, 999, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.scaled << " vs " << c.yen);
    EXPECT_EQ(S(c.scaled) != c.yen, c.differs);
  }
  EXPECT_TRUE(S(10000) == FixedAmount(1));
  EXPECT_TRUE(S(-1) != S(1));
}

}  // namespace
}  // namespace vintor::statements
