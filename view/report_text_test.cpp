// The terminal text of the sample report against the reviewed file testdata/VintorOak-sample.txt
// (UTF-8, as the terminal shows it), and the ledger of one account.
#include "view/report_text.h"

#include <gtest/gtest.h>

#include "report/figures_of_report.h"
#include "report/report_reader.h"
#include "report/test_reports.h"
#include "text/encoding.h"

namespace vintor::view {
namespace {

using report::testing::FileBytes;

const std::string kSample = std::string(VINTOR_SOURCE_DIR) + "/main/testdata/VintorOak-sample.xml";

TEST(ReportTextTest, TheSampleReportReadsAsTheReviewedText) {
  report::ReportContents contents;
  std::string error;
  ASSERT_TRUE(report::ReportReader().ReadFile(kSample, &contents, &error)) << error;
  const auto results = checks::RunCrossChecks(report::FiguresOfReport(contents));
  std::string utf8;
  ASSERT_TRUE(text::Cp932ToUtf8(ReportText(contents, results).Render(), &utf8, &error)) << error;
  const std::string golden =
      FileBytes(std::string(VINTOR_SOURCE_DIR) + "/view/testdata/VintorOak-sample.txt");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(utf8, golden);
}

TEST(ReportTextTest, AnAccountIsShownWithItsLinesByNumberOrName) {
  for (const char* argument : {"1", "現金本社"}) {
    AccountSelection selection(argument);
    report::ReportReader reader;
    reader.set_ledger_line_handler(
        [&](const report::LedgerAccount& account, std::size_t index,
            const report::LedgerLine& line) { selection.Take(account, index, line); });
    report::ReportContents contents;
    std::string error;
    ASSERT_TRUE(reader.ReadFile(kSample, &contents, &error)) << error;
    EXPECT_EQ(static_cast<std::int64_t>(selection.lines().size()),
              contents.ledger->front().line_count);
    const std::string shown = ReportText(contents, {}).RenderAccount(selection);
    EXPECT_NE(shown.find("総勘定元帳 1 現金本社（流動資産）"), std::string::npos) << argument;
    EXPECT_NE(shown.find("令和7年4月2日  "), std::string::npos) << argument;
    EXPECT_NE(shown.find("-13,200  172,120"), std::string::npos) << argument;
    EXPECT_EQ(shown.find("小口現金（"), std::string::npos) << argument;  // no other account
  }
}

}  // namespace
}  // namespace vintor::view
