#include "view/text_table.h"

#include <gtest/gtest.h>

namespace vintor::view {
namespace {

TEST(TextTableTest, AlignsDoubleByteTextByItsWidth) {
  TextTable table({TextTable::Align::kLeft, TextTable::Align::kRight});
  table.AddRow({"現金", "1,000"});
  table.AddRule();
  table.AddRow({"ab", "-5"});
  table.AddRow({"売掛金x"});
  EXPECT_EQ(table.Render(),
            "現金     1,000\n"
            "--------------\n"
            "ab          -5\n"
            "売掛金x\n");
}

}  // namespace
}  // namespace vintor::view
