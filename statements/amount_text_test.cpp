#include "statements/amount_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vintor::statements {
namespace {

TEST(AmountTextTest, TruncatesTowardZeroAndDropsZero) {
  struct Case {
    std::int64_t scaled;
    const char* text;
  } const cases[] = {
      {0, ""},
      {9999, ""},
      {-9999, ""},
      {10000, "1"},
      {-10000, "-1"},
      {19999, "1"},
      {-15000, "-1"},
      {123456780000, "12345678"},
      {-999999999999990000, "-99999999999999"},
      {std::numeric_limits<std::int64_t>::max(), "922337203685477"},
      {std::numeric_limits<std::int64_t>::min(), "-922337203685477"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scaled);
    EXPECT_EQ(AmountText(c.scaled), c.text);
  }
}

}  // namespace
}  // namespace vintor::statements
