#include "text/decimal.h"

#include <gtest/gtest.h>

namespace vintor::text {
namespace {

TEST(DecimalTest, ParsesLikeAtoiAndSaturates) {
  struct Case {
    std::string_view text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"", 0},
      {"  42", 42},
      {"\t\n\v\f\r 5", 5},
      {"+7", 7},
      {"-0012x", -12},
      {"abc", 0},
      {"3abc", 3},
      {" 3", 3},
      {"03", 3},
      {"- 5", 0},
      {"+-1", 0},
      {"１", 0},  // full-width digits are not digits
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"99999999999999999999", INT32_MAX},
      {"-99999999999999999999", INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace vintor::text
