// The checks over real reports: every reviewed report passes them, and a copy with one amount
// changed fails the check that amount belongs to, and only that one.
#include <gtest/gtest.h>

#include "checks/cross_checks.h"
#include "report/figures_of_report.h"
#include "report/report_reader.h"
#include "report/test_reports.h"

namespace vintor::report {
namespace {

using testing::GoldenReport;
using testing::Replaced;

std::vector<checks::CheckResult> ChecksOf(const std::string& bytes) {
  ReportContents contents;
  std::string error;
  EXPECT_TRUE(ReportReader().ReadBytes(bytes, &contents, &error)) << error;
  return checks::RunCrossChecks(FiguresOfReport(contents));
}

TEST(ReportChecksTest, EveryGoldenReportPassesEveryCheck) {
  for (const char* name : testing::kGoldenReports) {
    const auto results = ChecksOf(GoldenReport(name));
    ASSERT_EQ(results.size(), 4u);
    for (const checks::CheckResult& r : results) {
      EXPECT_TRUE(r.passed) << name << ": " << r.title << ": " << r.detail;
    }
    EXPECT_TRUE(results[0].applies && results[1].applies && results[3].applies) << name;
  }
  // Only the sample company manufactures.
  EXPECT_TRUE(ChecksOf(GoldenReport("VintorOak-sample.xml"))[2].applies);
  EXPECT_FALSE(ChecksOf(GoldenReport("VintorOak-company4.xml"))[2].applies);
}

TEST(ReportChecksTest, AReportWithOneAmountChangedFailsItsCheck) {
  const std::string sample = GoldenReport("VintorOak-sample.xml");
  const struct {
    const char* what;
    std::string bytes;
    int failing;
    const char* difference;
  } cases[] = {
      {"assets", Replaced(sample, "Amount=\"57637005\"", "Amount=\"57637105\""), 0, "差 100 円"},
      {"net income in the equity statement",
       Replaced(sample, "<Amount>3525138</Amount>", "<Amount>3525038</Amount>"), 1, "差 100 円"},
      {"cost of goods manufactured", Replaced(sample, "Amount=\"46346945\"", "Amount=\"46346845\""),
       2, "差 -100 円"},
      {"ledger closing balance of the first account",
       Replaced(sample, "<QZ00780S0040>259159</QZ00780S0040>",
                "<QZ00780S0040>259059</QZ00780S0040>"),
       3, "現金本社: 最後の残高 259,159"},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.bytes.empty()) << c.what;
    const auto results = ChecksOf(c.bytes);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(results[k].passed, k != c.failing) << c.what << ": " << results[k].title;
    }
    EXPECT_NE(results[c.failing].detail.find(c.difference), std::string::npos)
        << c.what << ": " << results[c.failing].detail;
  }
}

}  // namespace
}  // namespace vintor::report
