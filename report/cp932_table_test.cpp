#include "report/cp932_table.h"

#include <gtest/gtest.h>

namespace vintor::report {
namespace {

TEST(Cp932TableTest, DecodesWhatTheReportHolds) {
  const Cp932Table& table = Cp932Table::Get();
  EXPECT_EQ(table.SingleByte('<'), '<');
  EXPECT_EQ(table.SingleByte(0x5C), 0x5C);    // a backslash, never the yen sign
  EXPECT_EQ(table.SingleByte(0xB1), 0xFF71);  // half-width katakana
  EXPECT_EQ(table.SingleByte(0x82), Cp932Table::kLeadByte);
  EXPECT_EQ(table.SingleByte(0xFD), Cp932Table::kInvalid);
  EXPECT_EQ(table.DoubleByte(0x82, 0xA0), 0x3042);                // あ
  EXPECT_EQ(table.DoubleByte(0x95, 0x5C), 0x8868);                // 表, trail byte 0x5C
  EXPECT_EQ(table.DoubleByte(0x87, 0x40), 0x2460);                // ①, NEC row 13
  EXPECT_EQ(table.DoubleByte(0x85, 0x40), Cp932Table::kInvalid);  // unassigned
}

TEST(Cp932TableTest, WritesBackTheFormTheExporterWrites) {
  const Cp932Table& table = Cp932Table::Get();
  const struct {
    const char* utf8;
    const char* cp932;
  } cases[] = {
      {"A&\t", "A&\t"},
      {"\xE8\xA1\xA8", "\x95\x5C"},  // 表
      {"\xEF\xBD\xB1", "\xB1"},      // ｱ
      {"\xE2\x88\xB5", "\x81\xE6"},  // ∵, also at 87 9A: the JIS row is written
      {"\xE2\x91\xA0", "\x87\x40"},  // ①
  };
  for (const auto& c : cases) {
    std::string cp932;
    EXPECT_TRUE(table.AppendFromUtf8(c.utf8, &cp932)) << c.utf8;
    EXPECT_EQ(cp932, c.cp932) << c.utf8;
  }
  std::string cp932;
  EXPECT_FALSE(table.AppendFromUtf8("\xC3\xA9", &cp932));          // é has no CP932 form
  EXPECT_FALSE(table.AppendFromUtf8("\xF0\x9F\x98\x80", &cp932));  // beyond the BMP
  EXPECT_FALSE(table.AppendFromUtf8("\xE8\xA1", &cp932));          // cut short
}

}  // namespace
}  // namespace vintor::report
