#include "statements/line_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "statements/test_fakes.h"

namespace vintor::statements {
namespace {

using testing_aids::RecordingDesktop;
using testing_aids::RecordingFile;

constexpr std::int64_t kYen = 10'000;

StatementLine MakeLine(std::uint32_t character, const char* formal_name, std::int64_t closing,
                       std::int16_t kind = 0, const char* statement_name = "",
                       std::int32_t key = 0) {
  StatementLine line;
  line.character = character;
  std::strncpy(line.formal_name, formal_name, kLineNameFieldSize - 1);
  std::strncpy(line.statement_name, statement_name, kLineNameFieldSize - 1);
  line.closing = closing;
  line.kind = kind;
  line.key = key;
  return line;
}

class LineWriterTest : public testing::Test {
 protected:
  // Writes with a fresh file and the given lines; answers what was written.
  std::string Write(const std::vector<StatementLine>& lines,
                    const std::function<bool(LineWriter&)>& write, ui::WindowHandle owner = 0) {
    list_.Clear();
    for (const StatementLine& line : lines) list_.Append(line);
    file_ = RecordingFile();
    XmlWriter xml;
    xml.Open(&file_, "out.xml");
    DesktopDiagnostics diagnostics(desktop_, owner);
    LineWriter writer(xml, list_, diagnostics);
    EXPECT_TRUE(write(writer));
    return file_.written;
  }

  StatementLineList list_;
  RecordingFile file_;
  RecordingDesktop desktop_;
};

TEST_F(LineWriterTest, WritesHeadingsItemsAndTotals) {
  const std::vector<StatementLine> items = {
      MakeLine(0x80880100, "現金", 1000 * kYen),
      MakeLine(0x80880100, "小計", 5 * kYen, 2),         // not an item kind
      MakeLine(0x80881000, "（預金）", -12'345'000, 3),  // -1234.5 yen
      MakeLine(0x80880200, "端数", 5'000),               // half a yen
      MakeLine(0x80480100, "買掛金", 1 * kYen),          // another section
  };
  const std::vector<StatementLine> taxes = {
      MakeLine(0x40200010, "a", 1 * kYen),
      MakeLine(0x40200020, "b", 2 * kYen),
      MakeLine(0x40200080, "c", 3 * kYen),
      MakeLine(0x40200100, "法人税等", 300 * kYen),
      MakeLine(0x40200040, "当期純利益", 9 * kYen, 2),
  };
  struct Case {
    const char* what;
    std::vector<StatementLine> lines;
    std::function<bool(LineWriter&)> write;
    std::string expected;
  } const cases[] = {
      {"heading of a line",
       {MakeLine(0x80880000, "【流動資産】", 1234 * kYen, 2)},
       [](LineWriter& w) { return w.WriteHeading(0x80880000, "CurrentAssets", 4); },
       "\t\t\t\t<CurrentAssets Label=\"流動資産\" Amount=\"1234\">\r\n"},
      {"heading without a line",
       {MakeLine(0x80880001, "x", 1)},
       [](LineWriter& w) { return w.WriteHeading(0x80880000, "CurrentAssets", 4); },
       "\t\t\t\t<CurrentAssets>\r\n"},
      {"heading under one yen, label escaped",
       {MakeLine(0x80848000, "A&B", -9'999, 2)},
       [](LineWriter& w) { return w.WriteHeading(0x80848000, "PPE", 0); },
       "<PPE Label=\"A&amp;B\" Amount=\"\">\r\n"},
      {"items of kinds 0 and 3, one yen and more", items,
       [](LineWriter& w) { return w.WriteItems(0x80880000, 5); },
       "\t\t\t\t\t<Item Label=\"現金\">1000</Item>\r\n"
       "\t\t\t\t\t<Item Label=\"預金\">-1234</Item>\r\n"},
      {"total without a line", items,
       [](LineWriter& w) { return w.WriteTotal(0x40880008, "GrossProfit", 3); }, ""},
      {"total of zero",
       {MakeLine(0x40880008, "売上総利益", 0, 2)},
       [](LineWriter& w) { return w.WriteTotal(0x40880008, "GrossProfit", 3); },
       "\t\t\t<GrossProfit Label=\"売上総利益\" Amount=\"\"></GrossProfit>\r\n"},
      {"total labelled by its statement name",
       {MakeLine(0x40880008, "売上総利益金額", 7 * kYen, 2, "（売上総利益）")},
       [](LineWriter& w) { return w.WriteTotal(0x40880008, "GrossProfit", 3); },
       "\t\t\t<GrossProfit Label=\"売上総利益\" Amount=\"7\"></GrossProfit>\r\n"},
      {"statement name of decoration only",
       {MakeLine(0x40880008, "【粗利】", 7 * kYen, 2, "　")},
       [](LineWriter& w) { return w.WriteTotal(0x40880008, "GrossProfit", 3); },
       "\t\t\t<GrossProfit Label=\"粗利\" Amount=\"7\"></GrossProfit>\r\n"},
      {"income taxes without the three totals", taxes,
       [](LineWriter& w) { return w.WriteIncomeTaxItems(4); },
       "\t\t\t\t<Item Label=\"法人税等\">300</Item>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Write(c.lines, c.write), c.expected);
  }
}

TEST_F(LineWriterTest, WarnsOnceAboutEachUnclassifiedFixedAssetOnlyWhenAsked) {
  const std::vector<StatementLine> lines = {
      MakeLine(0x80840008, "（車両）", 100 * kYen, 0, "", 1520003), MakeLine(0x80840000, "無額", 0),
      MakeLine(0x80840004, "器具", 5 * kYen, 3, "", 1530000),
      MakeLine(0x80848000, "建物", 5 * kYen),  // in a subsection: not "other"
  };
  const std::string rows =
      "\t\t\t\t\t\t<Item Label=\"車両\">100</Item>\r\n"
      "\t\t\t\t\t\t<Item Label=\"器具\">5</Item>\r\n";
  // Every warning is told, window or not: a run without one (a batch) collects them.
  struct Case {
    bool warn;
    ui::WindowHandle owner;
    std::size_t warnings;
  } const cases[] = {{true, 77, 2}, {true, 0, 2}, {false, 77, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "warn " << c.warn << ", owner " << c.owner);
    desktop_.messages.clear();
    EXPECT_EQ(
        Write(
            lines, [&](LineWriter& w) { return w.WriteOtherFixedAssets(6, c.warn); }, c.owner),
        rows);
    EXPECT_EQ(desktop_.messages.size(), c.warnings);
  }
  Write(
      lines, [](LineWriter& w) { return w.WriteOtherFixedAssets(6, true); }, 77);
  ASSERT_EQ(desktop_.messages.size(), 2u);
  EXPECT_EQ(desktop_.messages[0].owner, 77u);
  EXPECT_EQ(desktop_.messages[0].caption, "決算書");
  EXPECT_EQ(desktop_.messages[0].style, 0x30u);
  EXPECT_EQ(desktop_.messages[0].text,
            "以下の科目は、正しい分類に出力することができません。\r\n"
            "科目性格を見直す必要があります。\r\n\r\n"
            "科目コード\t： 152\r\n"
            "正式名称\t： （車両）\r\n\r\n"
            "Tavrelの勘定科目設定画面にて、科目性格を\r\n"
            " [有形固定資産] [無形固定資産] [投資その他の資産]\r\n"
            "のいずれかに設定し、もう一度処理を行ってください。\r\n");
}

TEST_F(LineWriterTest, EveryOperationFailsOnceTheFileFails) {
  list_.Append(MakeLine(0x80880100, "現金", 1000 * kYen));
  list_.Append(MakeLine(0x40880008, "粗利", 1000 * kYen));
  list_.Append(MakeLine(0x40200100, "法人税等", 1000 * kYen));
  list_.Append(MakeLine(0x80840000, "その他", 1000 * kYen));
  file_.fail_from = 1;
  XmlWriter xml;
  xml.Open(&file_, "out.xml");
  DesktopDiagnostics diagnostics(desktop_, 0);
  LineWriter writer(xml, list_, diagnostics);
  EXPECT_FALSE(writer.WriteHeading(0x80880100, "A", 1));
  EXPECT_FALSE(writer.WriteItems(0x80880000, 1));
  EXPECT_FALSE(writer.WriteTotal(0x40880008, "B", 1));
  EXPECT_FALSE(writer.WriteIncomeTaxItems(1));
  EXPECT_FALSE(writer.WriteOtherFixedAssets(1, false));
  EXPECT_TRUE(writer.WriteTotal(0x12345678, "Missing", 1));  // nothing to write
}

}  // namespace
}  // namespace vintor::statements
