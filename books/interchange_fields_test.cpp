#include "books/interchange_fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vintor::books {
namespace {

TEST(InterchangeFieldsTest, ReadsAndWritesAmounts) {
  struct Case {
    std::string_view text;
    std::int64_t scaled;
    std::string_view canonical;
  };
  const Case cases[] = {
      {"0", 0, "0"},
      {"-0", 0, "0"},
      {"1234", 12'340'000, "1234"},
      {"-1234.5", -12'345'000, "-1234.5"},
      {"0.0001", 1, "0.0001"},
      {"-0.0001", -1, "-0.0001"},
      {"1.2300", 12'300, "1.23"},
      {"10.0", 100'000, "10"},
      {"0010.05", 100'500, "10.05"},
      {"99999999999.9999", kMaxAmount, "99999999999.9999"},
      {"-99999999999.9999", -kMaxAmount, "-99999999999.9999"},
  };
  for (const Case& c : cases) {
    std::int64_t scaled = 7;
    EXPECT_EQ(ParseAmount(c.text, &scaled), AmountProblem::kNone) << c.text;
    EXPECT_EQ(scaled, c.scaled) << c.text;
    EXPECT_EQ(FormatAmount(c.scaled), c.canonical) << c.text;
  }
}

TEST(InterchangeFieldsTest, RefusesBadAmounts) {
  struct Case {
    std::string_view text;
    AmountProblem problem;
  };
  const Case cases[] = {
      {"", AmountProblem::kNotAnAmount},
      {"-", AmountProblem::kNotAnAmount},
      {"+1", AmountProblem::kNotAnAmount},
      {" 1", AmountProblem::kNotAnAmount},
      {"1,000", AmountProblem::kNotAnAmount},
      {".5", AmountProblem::kNotAnAmount},
      {"5.", AmountProblem::kNotAnAmount},
      {"1.2.3", AmountProblem::kNotAnAmount},
      {"1e3", AmountProblem::kNotAnAmount},
      {"--1", AmountProblem::kNotAnAmount},
      {"1.00001", AmountProblem::kTooManyDecimals},
      {"100000000000", AmountProblem::kOutOfRange},
      {"-100000000000", AmountProblem::kOutOfRange},
      {"99999999999999999999999", AmountProblem::kOutOfRange},
  };
  for (const Case& c : cases) {
    std::int64_t scaled = 7;
    EXPECT_EQ(ParseAmount(c.text, &scaled), c.problem) << c.text;
    EXPECT_EQ(scaled, 7) << c.text;
  }
}

// Totals computed from the books may exceed one amount's range; they are still written.
TEST(InterchangeFieldsTest, FormatsEverySixtyFourBitValue) {
  EXPECT_EQ(FormatAmount(std::numeric_limits<std::int64_t>::min()), "-922337203685477.5808");
  EXPECT_EQ(FormatAmount(std::numeric_limits<std::int64_t>::max()), "922337203685477.5807");
  EXPECT_EQ(FormatAmount(-10'000), "-1");
  EXPECT_EQ(FormatAmount(10'010), "1.001");
}

TEST(InterchangeFieldsTest, ReadsIntegersWithinBounds) {
  struct Case {
    std::string_view text;
    std::int64_t min, max;
    bool ok;
    std::int64_t value;
  };
  const Case cases[] = {
      {"0", 0, 1, true, 0},
      {"-5", -10, 10, true, -5},
      {"007", 0, 10, true, 7},
      {"11", 0, 10, false, 0},
      {"-1", 0, 10, false, 0},
      {"", 0, 10, false, 0},
      {"1 ", 0, 10, false, 0},
      {"+1", 0, 10, false, 0},
      {"2147483647", 0, 2147483647, true, 2147483647},
      {"2147483648", 0, 2147483647, false, 0},
      {"99999999999999999999", 0, std::numeric_limits<std::int64_t>::max(), false, 0},
  };
  for (const Case& c : cases) {
    std::int64_t value = 0;
    EXPECT_EQ(ParseInteger(c.text, c.min, c.max, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(InterchangeFieldsTest, ReadsAndWritesCharacters) {
  std::uint32_t character = 0;
  EXPECT_TRUE(ParseCharacter("0x80880810", &character));
  EXPECT_EQ(character, 0x80880810u);
  EXPECT_TRUE(ParseCharacter("0xabcdef01", &character));
  EXPECT_EQ(FormatCharacter(character), "0xABCDEF01");
  EXPECT_EQ(FormatCharacter(0x40), "0x00000040");
  for (const std::string_view bad :
       {"0X80880810", "80880810", "0x8088081", "0x808808100", "0x8088081G"})
    EXPECT_FALSE(ParseCharacter(bad, &character)) << bad;
}

TEST(InterchangeFieldsTest, SplitsFormulas) {
  std::vector<FormulaTerm> terms;
  std::string error;
  ASSERT_TRUE(ParseFormula("+0x40888000  -#4110003 +#1", &terms, &error)) << error;
  ASSERT_EQ(terms.size(), 3u);
  EXPECT_TRUE(terms[0].is_mask);
  EXPECT_FALSE(terms[0].negative);
  EXPECT_EQ(terms[0].mask, 0x40888000u);
  EXPECT_FALSE(terms[1].is_mask);
  EXPECT_TRUE(terms[1].negative);
  EXPECT_EQ(terms[1].key, 4110003);
  EXPECT_EQ(terms[2].key, 1);

  struct Case {
    std::string_view formula;
    std::string_view error;
  };
  const Case cases[] = {
      {"", "a total account needs one"},
      {" +#1", "begins or ends with a blank"},
      {"+#1 ", "begins or ends with a blank"},
      {"#1", "term \"#1\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
      {"+#1 + #2", "term \"+\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
      {"+#0", "term \"+#0\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
      {"+#-1", "term \"+#-1\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
      {"+#1,+#2", "term \"+#1,+#2\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
      {"*0x40888000", "term \"*0x40888000\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseFormula(c.formula, &terms, &error)) << c.formula;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace vintor::books
