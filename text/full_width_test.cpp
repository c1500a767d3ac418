#include "text/full_width.h"

#include <gtest/gtest.h>

#include <set>

#include "text/cp932.h"

namespace vintor::text {
namespace {

TEST(FullWidthTest, MapsEachKindOfCharacter) {
  struct Case {
    std::string_view text;
    std::string_view expected;
  };
  const Case cases[] = {
      {"", ""},
      {" ", "\x81\x40"},  // ideographic space
      {"Az", "\x82\x60\x82\x9A"},
      {"09", "\x82\x4F\x82\x58"},
      {"\\", "\x81\x5F"},  // full-width reverse solidus, not the yen sign
      {"~", "\x81\x60"},
      {"-", "\x81\x7C"},
      {"\"'", "\xFA\x57\xFA\x56"},
      {"\xA1", "\x81\x42"},              // ｡ -> 。, first kana
      {"\xB1\xDD", "\x83\x41\x83\x93"},  // ｱﾝ -> アン
      {"\xB6\xDE", "\x83\x4B"},          // ｶﾞ -> ガ
      {"\xC4\xDE", "\x83\x68"},          // ﾄﾞ -> ド
      {"\xCA\xDF", "\x83\x70"},          // ﾊﾟ -> パ
      {"\xCE\xDF", "\x83\x7C"},          // ﾎﾟ -> ポ
      {"\xB3\xDE", "\x83\x94"},          // ｳﾞ -> ヴ
      {"\xB1\xDE", "\x83\x41\x81\x4A"},  // ｱﾞ -> ア゛
      {"\xB6\xDF", "\x83\x4A\x81\x4B"},  // ｶﾟ -> カ゜
      {"\xDE", "\x81\x4A"},              // lone ﾞ -> ゛
      {"\xB6\xDE\xDE", "\x83\x4B\x81\x4A"},
      {"表ソ\\", "表ソ\x81\x5F"},            // the 0x5C trail bytes stay as they are
      {"\x83\xB6\xDE", "\x83\xB6\x81\x4A"},  // B6 is a trail byte here, not ｶ
      {"\t\x80\xFD\x81", "\t\x80\xFD\x81"},  // other bytes, and a lone lead byte at the end
  };
  for (const Case& c : cases) EXPECT_EQ(ToFullWidth(c.text), c.expected) << c.text;
}

// Every ASCII and kana byte becomes its own double-byte character: catches a table entry
// that is missing, doubled or shifted.
TEST(FullWidthTest, EveryHalfWidthByteHasItsOwnDoubleByteForm) {
  std::set<std::string> seen;
  for (int byte = 0x20; byte <= 0xDF; ++byte) {
    if (byte > 0x7E && byte < 0xA1) continue;
    const std::string wide = ToFullWidth(std::string(1, static_cast<char>(byte)));
    ASSERT_EQ(wide.size(), 2u) << std::hex << byte;
    EXPECT_EQ(CharacterLengthAt(wide, 0), 2u) << std::hex << byte;
    EXPECT_TRUE(seen.insert(wide).second) << std::hex << byte;
  }
}

}  // namespace
}  // namespace vintor::text
