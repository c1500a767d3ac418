#include "text/xml_entities.h"

#include <gtest/gtest.h>

namespace vintor::text {
namespace {

TEST(XmlEntitiesTest, EscapesTheFiveAndKeepsDoubleByteText) {
  EXPECT_EQ(EscapeXmlEntities(""), "");
  EXPECT_EQ(EscapeXmlEntities("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(EscapeXmlEntities("表ソポ&amp;"), "表ソポ&amp;amp;");
  EXPECT_EQ(EscapeXmlEntities("a\tb\r\nc"), "a&#9;b&#13;&#10;c");
}

TEST(XmlEntitiesTest, FindsTheControlsNoXmlTextHolds) {
  struct Case {
    std::string_view text;
    std::size_t at;
  } const cases[] = {{"plain 表ソ", std::string_view::npos},
                     {"tab\tcr\rlf\n", std::string_view::npos},
                     {std::string_view("a\0b", 3), 1},
                     {"ab\x01", 2},
                     {"\x1F", 0},
                     {"del\x7F", 3},
                     // Past the first eight bytes, which are looked at a word at a time.
                     {"表ソ表ソ表ソ表ソ表ソ", std::string_view::npos},
                     {"01234567\x01", 8},
                     {"0123456789abcde\x1F", 15},
                     {"012345678\x7F", 9},
                     {"\t1234567\r\n23\x02", 12},
                     {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x80\x7F", 9}};
  for (const Case& c : cases) EXPECT_EQ(FindUnwritableControl(c.text), c.at) << c.text;
}

}  // namespace
}  // namespace vintor::text
