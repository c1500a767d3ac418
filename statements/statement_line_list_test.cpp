#include "statements/statement_line_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vintor::statements {
namespace {

StatementLine Line(std::int32_t key, std::uint32_t character, std::int16_t kind) {
  StatementLine line;
  line.key = key;
  line.character = character;
  line.kind = kind;
  line.closing = key * 10000LL;
  return line;
}

std::vector<std::int32_t> Keys(const std::vector<StatementLine>& lines) {
  std::vector<std::int32_t> keys;
  for (const StatementLine& line : lines) keys.push_back(line.key);
  return keys;
}

class StatementLineListTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const StatementLine& line : {
             Line(1110000, 0x80880000, 0),  // item of 流動資産
             Line(1000000, 0x80880000, 2),  // heading with the same character
             Line(1120001, 0x80880000, 3),  // sub-account
             Line(1130000, 0x80880008, 0),  // carries extra bits
             Line(1200000, 0x80840000, 0),  // another section
             Line(9990000, 0x80880000, 1),  // kinds other than 0 and 3 are never items
         }) {
      ASSERT_TRUE(list_.Append(line));
    }
  }
  StatementLineList list_;
};

TEST_F(StatementLineListTest, CollectionsTakeOnlyItemKindsInListOrder) {
  struct Case {
    bool by_mask;
    std::uint32_t value;
    std::vector<std::int32_t> keys;
  } const cases[] = {
      {true, 0x80880000, {1110000, 1120001, 1130000}},
      {false, 0x80880000, {1110000, 1120001}},
      {true, 0x80800000, {1110000, 1120001, 1130000, 1200000}},
      {false, 0x80880008, {1130000}},
      {true, 0x40000000, {}},
      {false, 0x80800000, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.by_mask << " " << std::hex << c.value);
    std::vector<StatementLine> out = {Line(42, 0, 0)};  // emptied first
    const bool ok = c.by_mask ? list_.CollectLinesByMask(c.value, &out)
                              : list_.CollectLinesByCharacter(c.value, &out);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Keys(out), c.keys);
  }
}

TEST_F(StatementLineListTest, FindReachesEveryKind) {
  const StatementLine* first = list_.FindLineByCharacter(0x80880000);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->key, 1110000);
  EXPECT_EQ(list_.FindLineByCharacter(0x80800000), nullptr);  // exact match only

  StatementLineList headings;
  ASSERT_TRUE(headings.Append(Line(1000000, 0x80800000, 2)));
  std::vector<StatementLine> out;
  EXPECT_TRUE(headings.CollectLinesByMask(0x80800000, &out));
  EXPECT_TRUE(out.empty());
  ASSERT_NE(headings.FindLineByCharacter(0x80800000), nullptr);
  EXPECT_EQ(headings.FindLineByCharacter(0x80800000)->kind, 2);
}

TEST_F(StatementLineListTest, LastLineCanBeAdjustedInPlace) {
  StatementLine* last = list_.FindLastLineByCharacter(0x80880000);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->key, 9990000);
  last->closing += 5;
  EXPECT_EQ((list_.end() - 1)->closing, 9990000LL * 10000 + 5);
  EXPECT_EQ(list_.FindLastLineByCharacter(0x12345678), nullptr);
}

TEST_F(StatementLineListTest, CollectedLinesAreCopies) {
  std::vector<StatementLine> out;
  ASSERT_TRUE(list_.CollectLinesByCharacter(0x80840000, &out));
  ASSERT_EQ(out.size(), 1u);
  out[0].closing = 0;
  EXPECT_EQ(list_.FindLineByCharacter(0x80840000)->closing, 1200000LL * 10000);
}

TEST(StatementLineListEmptyTest, FindsNothingAndCollectsNothing) {
  StatementLineList list;
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.FindLineByCharacter(0), nullptr);
  EXPECT_EQ(list.FindLastLineByCharacter(0), nullptr);
  std::vector<StatementLine> out(3);
  EXPECT_TRUE(list.CollectLinesByMask(0, &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(list.CollectLinesByMask(0, nullptr));
  EXPECT_FALSE(list.CollectLinesByCharacter(0, nullptr));
}

TEST(StatementLineTest, DefaultLineIsAllZero) {
  const StatementLine line;
  EXPECT_EQ(line.formal_name[0], '\0');
  EXPECT_EQ(line.statement_name[30], '\0');
  EXPECT_EQ(line.closing, 0);
  EXPECT_EQ(line.character, 0u);
  EXPECT_EQ(line.kind, 0);
}

}  // namespace
}  // namespace vintor::statements
