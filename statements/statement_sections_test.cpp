#include "statements/statement_sections.h"

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

StatementLine MakeLine(std::uint32_t character, const char* formal_name, std::int64_t yen,
                       std::int16_t kind = 0) {
  StatementLine line;
  line.character = character;
  line.key = 1000 * 10'000;
  std::strncpy(line.formal_name, formal_name, kLineNameFieldSize - 1);
  line.closing = yen * kYen;
  line.kind = kind;
  return line;
}

std::size_t CountOf(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

class StatementSectionsTest : public testing::Test {
 protected:
  bool Write(bool (*statement)(LineWriter&), int fail_from = 0) {
    file_ = RecordingFile();
    file_.fail_from = fail_from;
    XmlWriter xml;
    xml.Open(&file_, "out.xml");
    DesktopDiagnostics diagnostics(desktop_, 99);
    LineWriter writer(xml, lines_, diagnostics);
    return statement(writer);
  }

  StatementLineList lines_;
  RecordingFile file_;
  RecordingDesktop desktop_;
};

TEST_F(StatementSectionsTest, UnclassifiedFixedAssetsAppearInEachSubsectionWarnedOnce) {
  lines_.Append(MakeLine(0x80840008, "車両", 100));
  lines_.Append(MakeLine(0x80844100, "ソフトウェア", 50));
  ASSERT_TRUE(Write(WriteBalanceSheet));
  EXPECT_EQ(desktop_.messages.size(), 1u);
  EXPECT_EQ(CountOf(file_.written, "<Item Label=\"車両\">100</Item>"), 3u);
  // No heading line for property, plant and equipment: a bare element, its rows still follow.
  EXPECT_NE(file_.written.find("\t\t\t\t\t<PropertyPlantAndEquipment>\r\n"
                               "\t\t\t\t\t\t<Item Label=\"車両\">100</Item>\r\n"
                               "\t\t\t\t\t</PropertyPlantAndEquipment>\r\n"),
            std::string::npos);
  EXPECT_NE(file_.written.find("\t\t\t\t\t<IntangibleAssets>\r\n"
                               "\t\t\t\t\t\t<Item Label=\"ソフトウェア\">50</Item>\r\n"
                               "\t\t\t\t\t\t<Item Label=\"車両\">100</Item>\r\n"),
            std::string::npos);
}

TEST_F(StatementSectionsTest, WritesTheIncomeStatementInItsOrder) {
  lines_.Append(MakeLine(0x40888000, "売上高", 1000, 2));
  lines_.Append(MakeLine(0x40888100, "売上", 1000));
  lines_.Append(MakeLine(0x40880008, "売上総利益", 0, 2));
  lines_.Append(MakeLine(0x40200100, "法人税等", 30));
  lines_.Append(MakeLine(0x40200080, "税引前", 100, 2));
  lines_.Append(MakeLine(0x40200040, "当期純利益", 70, 2));
  ASSERT_TRUE(Write(WriteIncomeStatement));
  EXPECT_EQ(file_.written,
            "\t\t<IncomeStatement>\r\n"
            "\t\t\t<NetSales Label=\"売上高\" Amount=\"1000\">\r\n"
            "\t\t\t\t<Item Label=\"売上\">1000</Item>\r\n"
            "\t\t\t</NetSales>\r\n"
            "\t\t\t<CostOfSales>\r\n"
            "\t\t\t</CostOfSales>\r\n"
            "\t\t\t<GrossProfit Label=\"売上総利益\" Amount=\"\"></GrossProfit>\r\n"
            "\t\t\t<SellingGeneralAndAdministrativeExpenses>\r\n"
            "\t\t\t</SellingGeneralAndAdministrativeExpenses>\r\n"
            "\t\t\t<NonOperatingIncome>\r\n"
            "\t\t\t</NonOperatingIncome>\r\n"
            "\t\t\t<NonOperatingExpenses>\r\n"
            "\t\t\t</NonOperatingExpenses>\r\n"
            "\t\t\t<ExtraordinaryIncome>\r\n"
            "\t\t\t</ExtraordinaryIncome>\r\n"
            "\t\t\t<ExtraordinaryLoss>\r\n"
            "\t\t\t</ExtraordinaryLoss>\r\n"
            "\t\t\t<IncomeBeforeIncomeTaxes Label=\"税引前\" "
            "Amount=\"100\"></IncomeBeforeIncomeTaxes>\r\n"
            "\t\t\t<IncomeTaxes>\r\n"
            "\t\t\t\t<Item Label=\"法人税等\">30</Item>\r\n"
            "\t\t\t</IncomeTaxes>\r\n"
            "\t\t\t<NetIncome Label=\"当期純利益\" Amount=\"70\"></NetIncome>\r\n"
            "\t\t</IncomeStatement>\r\n");
}

TEST_F(StatementSectionsTest, SubcontractCostOnlyWithItsHeadingLine) {
  const std::string subcontract = "\t\t\t<SubcontractCost";
  ASSERT_TRUE(Write(WriteCostReport));
  EXPECT_EQ(file_.written.find(subcontract), std::string::npos);
  EXPECT_TRUE(
      file_.written.ends_with("\t\t\t</LaborCost>\r\n"
                              "\t\t\t<OverheadExpenses>\r\n"
                              "\t\t\t</OverheadExpenses>\r\n"
                              "\t\t\t<WorkProcessBeginningInventories>\r\n"
                              "\t\t\t</WorkProcessBeginningInventories>\r\n"
                              "\t\t\t<WorkProcessClosingInventories>\r\n"
                              "\t\t\t</WorkProcessClosingInventories>\r\n"
                              "\t\t</ScheduleCostGoodsManufactured>\r\n"));

  lines_.Append(MakeLine(0x40884200, "製品製造原価", 500, 2));
  lines_.Append(MakeLine(0x20040000, "外注費", 0, 2));
  ASSERT_TRUE(Write(WriteCostReport));
  EXPECT_NE(file_.written.find("\t\t\t</LaborCost>\r\n"
                               "\t\t\t<SubcontractCost Label=\"外注費\" Amount=\"\">\r\n"
                               "\t\t\t</SubcontractCost>\r\n"
                               "\t\t\t<OverheadExpenses>\r\n"),
            std::string::npos);
  EXPECT_NE(file_.written.find("\t\t\t<CostFinishedGoods Label=\"製品製造原価\" Amount=\"500\">"
                               "</CostFinishedGoods>\r\n"
                               "\t\t</ScheduleCostGoodsManufactured>\r\n"),
            std::string::npos);
}

TEST_F(StatementSectionsTest, StopsAtTheFirstFailedLine) {
  lines_.Append(MakeLine(0x80840000, "その他", 100));
  lines_.Append(MakeLine(0x40200100, "法人税等", 30));
  lines_.Append(MakeLine(0x20040000, "外注費", 0, 2));
  for (bool (*statement)(LineWriter&) :
       {WriteBalanceSheet, WriteIncomeStatement, WriteCostReport}) {
    ASSERT_TRUE(Write(statement));
    const int lines = file_.appends;
    for (int failing = 1; failing <= lines; ++failing) {
      SCOPED_TRACE(testing::Message() << "failing line " << failing << " of " << lines);
      EXPECT_FALSE(Write(statement, failing));
      EXPECT_EQ(file_.appends, failing);  // nothing is tried after the failure
    }
  }
}

}  // namespace
}  // namespace vintor::statements
