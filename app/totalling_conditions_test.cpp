#include "app/totalling_conditions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "conditions/fake_period_library.h"

namespace vintor::app {
namespace {

using platform::StFINDINFO;

struct Block {
  std::int16_t op;
  std::int32_t operand;
  std::int16_t link;
};

TEST(BuildTotallingConditionsTest, BlocksForTheRangeAndClosingPeriods) {
  struct Case {
    const char* what;
    std::int32_t first_day, last_day, interim;
    std::int32_t start, end;
    std::vector<Block> blocks;
  } const cases[] = {
      {"April-March, whole year", 20250401, 20260331, 0, 4, 3, {{4, 1, 1}, {6, 12, 2}, {1, 18, 0}}},
      {"interim company, range ending in the sixth month",
       20250401,
       20260331,
       1,
       4,
       9,
       {{4, 1, 1}, {6, 6, 2}, {1, 15, 0}}},
      {"interim field not set: no interim block",
       20250401,
       20260331,
       0,
       4,
       9,
       {{4, 1, 1}, {6, 6, 0}}},
      {"range inside the year", 20250401, 20260331, 1, 5, 12, {{4, 2, 1}, {6, 9, 0}}},
      {"interim company ending its year in month 6 (end index 12): year-end block only",
       20250701,
       20260630,
       1,
       7,
       6,
       {{4, 1, 1}, {6, 12, 2}, {1, 18, 0}}},
      {"half-year period: interim then year-end",
       20250401,
       20250930,
       1,
       4,
       9,
       {{4, 1, 1}, {6, 6, 2}, {1, 15, 2}, {1, 18, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    conditions::FakePeriodLibrary library;
    platform::StDATAINFO company{};
    company.first_day = c.first_day;
    company.last_day = c.last_day;
    company.interim_settlement = c.interim;
    StFINDINFO find;
    std::memset(&find, 0xAB, sizeof find);  // every byte must be written
    BuildTotallingConditions(library, &find, &company, c.start, c.end);
    for (std::size_t k = 0; k < 4; ++k) {
      SCOPED_TRACE(k);
      const platform::StFINDBLOCK block = find.blocks[k];
      if (k < c.blocks.size()) {
        // The record is packed: its fields are copied before they are compared by reference.
        const std::int32_t item = block.item;
        const std::int16_t value_type = block.value_type;
        const std::int16_t op = block.op;
        const std::int32_t operand = block.operand;
        const std::int16_t link = block.link;
        EXPECT_EQ(item, 17);
        EXPECT_EQ(value_type, 2);
        EXPECT_EQ(op, c.blocks[k].op);
        EXPECT_EQ(operand, c.blocks[k].operand);
        EXPECT_EQ(link, c.blocks[k].link);
      } else {
        const platform::StFINDBLOCK zero{};
        EXPECT_EQ(std::memcmp(&block, &zero, sizeof block), 0);
      }
    }
  }
}

TEST(BuildTotallingConditionsTest, MissingArgumentsWriteNothing) {
  conditions::FakePeriodLibrary library;
  StFINDINFO find{};
  find.blocks[0].item = 99;
  BuildTotallingConditions(library, &find, nullptr, 4, 3);
  EXPECT_EQ(find.blocks[0].item, 99);
  platform::StDATAINFO company{};
  BuildTotallingConditions(library, nullptr, &company, 4, 3);
}

}  // namespace
}  // namespace vintor::app
