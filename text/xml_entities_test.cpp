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
                     {"del\x7F", 3}};
  for (const Case& c : cases) EXPECT_EQ(FindUnwritableControl(c.text), c.at) << c.text;
}

}  // namespace
}  // namespace vintor::text
