#include "statements/section_name.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vintor::statements {
namespace {

struct Case {
  std::uint32_t character;
  const char* name;
};

// Each row's own mask must be named by that row: an earlier, wider mask would steal it.
TEST(SectionNameTest, EveryMaskIsNamedByItsOwnRow) {
  const Case cases[] = {
      {0x80880000, "流動資産"},         {0x80840000, "固定資産"},   {0x80820000, "繰延資産"},
      {0x80800008, "流動資産"},         {0x80800000, "資産の部"},   {0x80480000, "流動負債"},
      {0x80440000, "固定負債"},         {0x80400000, "負債の部"},   {0x80280000, "株主資本"},
      {0x80240000, "評価･換算差額等"},  {0x80220000, "新株予約権"}, {0x80200000, "純資産の部"},
      {0x80100000, "負債・純資産合計"}, {0x80000000, "貸借対照表"}, {0x40888000, "売上高"},
      {0x40884000, "売上原価"},         {0x40882000, "販管費"},     {0x40880000, "営業損益"},
      {0x40848000, "営業外収益"},       {0x40844000, "営業外費用"}, {0x40840000, "営業外損益"},
      {0x40480000, "特別利益"},         {0x40440000, "特別損失"},   {0x40800000, "経常損益"},
      {0x40400000, "特別損益"},         {0x40200000, "差引損益"},   {0x40000000, "損益計算書"},
      {0x20800000, "材料費"},           {0x20400000, "労務費"},     {0x20200000, "製造経費"},
      {0x20100000, "仕掛品"},           {0x20080000, "製造原価"},   {0x20000000, "製造原価報告書"},
      {0x10000000, "特別勘定"},         {0x08000080, "集計対象外"}, {0x08000000, "集計対象外"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.character);
    EXPECT_EQ(SectionNameOfCharacter(c.character), c.name);
  }
}

TEST(SectionNameTest, NarrowerMaskWinsOverTheSectionItLiesIn) {
  const Case cases[] = {
      {0x80848000, "固定資産"},    // not 資産の部
      {0x40480000, "特別利益"},    // not 特別損益
      {0x40848000, "営業外収益"},  // not 経常損益
      {0x80880008, "流動資産"},    // a total line inside 流動資産
      {0x40200080, "差引損益"},    // income before income taxes
      {0xC0000000, "貸借対照表"},  // both class bits: the balance sheet is tested first
      {0x00000000, ""},           {0x07FFFFFF, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.character);
    EXPECT_EQ(SectionNameOfCharacter(c.character), c.name);
  }
}

TEST(SectionNameTest, NamesAreCp932Bytes) {
  // The half-width middle dot is the single byte A5; the full-width one is 81 45.
  EXPECT_EQ(SectionNameOfCharacter(0x80240000),
            "\x95\x5D\x89\xBF\xA5\x8A\xB7\x8E\x5A\x8D\xB7\x8A\x7A\x93\x99");
  EXPECT_EQ(SectionNameOfCharacter(0x80100000).substr(4, 2), "\x81\x45");
}

}  // namespace
}  // namespace vintor::statements
