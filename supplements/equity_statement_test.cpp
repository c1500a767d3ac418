#include "supplements/equity_statement.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "statements/test_fakes.h"

namespace vintor::supplements {
namespace {

using statements::StatementLine;
using statements::StatementLineList;
using statements::XmlWriter;
using statements::testing_aids::RecordingFile;

constexpr std::uint32_t kCapital = 0x80288000;
constexpr std::uint32_t kCapitalReserve = 0x80282080;
constexpr std::uint32_t kLegalReserve = 0x80281080;
constexpr std::uint32_t kReserve = 0x80281040;
constexpr std::uint32_t kRetainedEarnings = 0x80281048;
constexpr std::uint32_t kTreasuryStock = 0x80280800;
constexpr std::uint32_t kNetIncome = 0x40200040;

// Amounts are given scaled, as the lines hold them: 15'000 is 1.5 yen.
StatementLine Line(std::uint32_t character, const char* name, std::int64_t opening,
                   std::int64_t change, std::int64_t closing, std::int16_t kind = 0) {
  StatementLine line;
  line.character = character;
  std::strncpy(line.formal_name, name, statements::kLineNameFieldSize - 1);
  line.opening = opening;
  line.change = change;
  line.closing = closing;
  line.kind = kind;
  return line;
}

struct Output {
  bool ok;
  std::string written;
};

Output WriteSection(const std::vector<StatementLine>& lines, std::int16_t choice = 1,
                    int fail_from = 0) {
  StatementLineList list;
  for (const StatementLine& line : lines) list.Append(line);
  RecordingFile file;
  file.fail_from = fail_from;
  XmlWriter xml;
  xml.Open(&file, "out.xml");
  EquityStatementSection section(list, choice);
  const bool ok = section.Write(xml);
  return {ok, file.written};
}

// The lines in one string: <A>1</A> reads A=1; an opening tag A{ and a closing tag }.
// Indentation and line ends are pinned by the whole-section test.
std::string Outline(const std::string& written) {
  std::string outline;
  for (std::size_t at = 0; at < written.size();) {
    const std::size_t end = written.find("\r\n", at);
    std::string_view line(written.data() + at, end - at);
    at = end + 2;
    line.remove_prefix(line.find('<'));
    if (line.starts_with("</")) {
      outline += "}";
      continue;
    }
    const std::size_t name_end = line.find('>');
    const std::string_view name = line.substr(1, name_end - 1);
    const std::string_view rest = line.substr(name_end + 1);
    outline += rest.empty()
                   ? std::string(name) + "{"
                   : std::string(name) + "=" + std::string(rest.substr(0, rest.find("</"))) + ";";
  }
  return outline;
}

TEST(EquityStatementSectionTest, GroupsAndTruncatesAsTheColumnsRequire) {
  struct Case {
    const char* what;
    std::vector<StatementLine> lines;
    std::string items;
  } const cases[] = {
      {"no equity accounts: only Select", {Line(0x80880100, "現金", 10'000, 10'000, 20'000)}, ""},
      {"a column adding up to zero is omitted",
       {Line(kCapital, "資本金", 1'000'000, 0, 1'000'000),
        Line(kCapital, "資本金２", -1'000'000, 0, -1'000'000)},
       ""},
      {"each line is truncated before adding; -0.5 contributes nothing",
       {Line(kCapitalReserve, "Ａ", 15'000, 0, 15'000),
        Line(kCapitalReserve, "Ｂ", 15'000, 0, 15'000),
        Line(kCapitalReserve, "Ｃ", -5'000, 0, -5'000)},
       "ChangesNetAssetsItem{AccountList=資本準備金;BalanceEndPreviousPeriod=2;"
       "BalanceEndCurrentPeriod=2;}"},
      {"fractions alone leave the column out",
       {Line(kLegalReserve, "利益準備金", -5'000, 9'999, 4'999)},
       ""},
      {"the general reserve is told by its cleaned name",
       {Line(kReserve, "【別途積立金】", 10'000, 0, 10'000),
        Line(kReserve, "別途 積立金", 20'000, 0, 20'000),
        Line(kReserve, "修繕積立金", 400'000, 0, 400'000),
        // The bytes of 別途積立金 begin on the trail byte of ｕ: not the name.
        Line(kReserve, "ｕﾊ途積立金", 800'000, 0, 800'000)},
       "ChangesNetAssetsItem{AccountList=別途積立金;BalanceEndPreviousPeriod=3;"
       "BalanceEndCurrentPeriod=3;}"
       "ChangesNetAssetsItem{AccountList=任意積立金;BalanceEndPreviousPeriod=120;"
       "BalanceEndCurrentPeriod=120;}"},
      {"retained earnings without change still itemise a net income",
       {Line(kRetainedEarnings, "繰越利益", 1'000'000, 0, 1'000'000),
        Line(kNetIncome, "当期純利益", 0, 700'000, 700'000, 2)},
       "ChangesNetAssetsItem{AccountList=繰越利益剰余金;BalanceEndPreviousPeriod=100;"
       "ChangesItemsDuringPeriod{TotalChangesItemsDuringPeriod=0;"
       "ChangesItem{Reason=当期純利益;Amount=70;}}BalanceEndCurrentPeriod=100;}"},
      {"a net income under one yen itemises nothing",
       {Line(kRetainedEarnings, "繰越利益", 0, 500'000, 500'000),
        Line(kNetIncome, "当期純利益", 0, 9'999, 9'999, 2)},
       "ChangesNetAssetsItem{AccountList=繰越利益剰余金;"
       "ChangesItemsDuringPeriod{TotalChangesItemsDuringPeriod=50;}"
       "BalanceEndCurrentPeriod=50;}"},
      {"the net income belongs to retained earnings only",
       {Line(kTreasuryStock, "自己株式", 0, -30'000, -30'000),
        Line(kNetIncome, "当期純利益", 0, 700'000, 700'000, 2)},
       "ChangesNetAssetsItem{AccountList=自己株式;"
       "ChangesItemsDuringPeriod{TotalChangesItemsDuringPeriod=-3;}"
       "BalanceEndCurrentPeriod=-3;}"},
      {"heading and total kinds are ignored, kind 3 counts",
       {Line(kCapital, "資本金計", 90'000, 0, 90'000, 2),
        Line(kCapital, "資本金", 10'000, 0, 10'000, 3)},
       "ChangesNetAssetsItem{AccountList=資本金;BalanceEndPreviousPeriod=1;"
       "BalanceEndCurrentPeriod=1;}"},
      {"empty retained earnings need no net income line",
       {Line(kRetainedEarnings, "繰越利益", 0, 0, 0)},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Output output = WriteSection(c.lines);
    EXPECT_TRUE(output.ok);
    EXPECT_EQ(Outline(output.written), "StatementChangesNetAssets{Select=1;" + c.items + "}");
  }
}

TEST(EquityStatementSectionTest, WritesAWholeSection) {
  const Output output = WriteSection(
      {
          Line(kNetIncome, "当期純利益", 0, 1'234'567'890, 1'234'567'890, 2),
          Line(0x80288040, "出資金", 30'000'000, 0, 30'000'000),
          Line(kCapital, "資本金", 100'000'000, 0, 100'000'000),
          Line(kRetainedEarnings, "繰越利益剰余金", 50'000'000, 1'234'567'890, 1'284'567'890),
          Line(0x80220000, "新株予約権", 0, 20'000'000, 20'000'000),
      },
      2);
  ASSERT_TRUE(output.ok);
  EXPECT_EQ(output.written,
            "\t\t<StatementChangesNetAssets>\r\n"
            "\t\t\t<Select>2</Select>\r\n"
            "\t\t\t<ChangesNetAssetsItem>\r\n"
            "\t\t\t\t<AccountList>\x8E\x91\x96\x7B\x8B\xE0</AccountList>\r\n"
            "\t\t\t\t<BalanceEndPreviousPeriod>13000</BalanceEndPreviousPeriod>\r\n"
            "\t\t\t\t<BalanceEndCurrentPeriod>13000</BalanceEndCurrentPeriod>\r\n"
            "\t\t\t</ChangesNetAssetsItem>\r\n"
            "\t\t\t<ChangesNetAssetsItem>\r\n"
            "\t\t\t\t<AccountList>繰越利益剰余金</AccountList>\r\n"
            "\t\t\t\t<BalanceEndPreviousPeriod>5000</BalanceEndPreviousPeriod>\r\n"
            "\t\t\t\t<ChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t\t<TotalChangesItemsDuringPeriod>123456</TotalChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t\t<ChangesItem>\r\n"
            "\t\t\t\t\t\t<Reason>\x93\x96\x8A\xFA\x8F\x83\x97\x98\x89\x76</Reason>\r\n"
            "\t\t\t\t\t\t<Amount>123456</Amount>\r\n"
            "\t\t\t\t\t</ChangesItem>\r\n"
            "\t\t\t\t</ChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t<BalanceEndCurrentPeriod>128456</BalanceEndCurrentPeriod>\r\n"
            "\t\t\t</ChangesNetAssetsItem>\r\n"
            "\t\t\t<ChangesNetAssetsItem>\r\n"
            "\t\t\t\t<AccountList>新株予約権</AccountList>\r\n"
            "\t\t\t\t<ChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t\t<TotalChangesItemsDuringPeriod>2000</TotalChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t</ChangesItemsDuringPeriod>\r\n"
            "\t\t\t\t<BalanceEndCurrentPeriod>2000</BalanceEndCurrentPeriod>\r\n"
            "\t\t\t</ChangesNetAssetsItem>\r\n"
            "\t\t</StatementChangesNetAssets>\r\n");
}

TEST(EquityStatementSectionTest, RetainedEarningsWithoutANetIncomeLineFail) {
  const Output output = WriteSection({
      Line(kCapital, "資本金", 10'000, 0, 10'000),
      Line(kRetainedEarnings, "繰越利益", 0, 10'000, 10'000),
      Line(kTreasuryStock, "自己株式", 0, -10'000, -10'000),
  });
  EXPECT_FALSE(output.ok);
  // Stops before the retained earnings' item: the capital stands, nothing after it.
  EXPECT_EQ(Outline(output.written),
            "StatementChangesNetAssets{Select=1;ChangesNetAssetsItem{AccountList=資本金;"
            "BalanceEndPreviousPeriod=1;BalanceEndCurrentPeriod=1;}");
}

TEST(EquityStatementSectionTest, AnyFailedLineFailsTheSection) {
  const std::vector<StatementLine> lines = {
      Line(kRetainedEarnings, "繰越利益", 10'000, 10'000, 20'000),
      Line(kNetIncome, "当期純利益", 0, 10'000, 10'000, 2),
  };
  const std::string whole = WriteSection(lines).written;
  int line_count = 0;
  for (std::size_t at = whole.find("\r\n"); at != std::string::npos;
       at = whole.find("\r\n", at + 1)) {
    ++line_count;
  }
  ASSERT_EQ(line_count, 15);
  // Every line is one Append; fail each of them in turn.
  for (int fail_from = 1; fail_from <= line_count; ++fail_from) {
    SCOPED_TRACE(fail_from);
    EXPECT_FALSE(WriteSection(lines, 1, fail_from).ok);
  }
}

}  // namespace
}  // namespace vintor::supplements
