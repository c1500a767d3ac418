#include "checks/yen_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vintor::checks {
namespace {

TEST(GroupedYenTest, GroupsDigitsInThreesWithTheSignInFront) {
  const struct {
    std::int64_t yen;
    const char* text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {-450000, "-450,000"},
      {-1000, "-1,000"},
      {57637005, "57,637,005"},
      {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"},
  };
  for (const auto& c : cases) EXPECT_EQ(GroupedYen(c.yen), c.text) << c.yen;
}

}  // namespace
}  // namespace vintor::checks
