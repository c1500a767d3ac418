#include "text/xml_entities.h"

#include <gtest/gtest.h>

namespace vintor::text {
namespace {

TEST(XmlEntitiesTest, EscapesTheFiveAndKeepsDoubleByteText) {
  EXPECT_EQ(EscapeXmlEntities(""), "");
  EXPECT_EQ(EscapeXmlEntities("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(EscapeXmlEntities("表ソポ&amp;"), "表ソポ&amp;amp;");
}

}  // namespace
}  // namespace vintor::text
