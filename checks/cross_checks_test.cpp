#include "checks/cross_checks.h"

#include <gtest/gtest.h>

#include <functional>

namespace vintor::checks {
namespace {

// Figures that pass every check: those of the sample company, with one ledger account.
ReportFigures Passing() {
  ReportFigures f;
  f.assets = 57637005;
  f.liabilities = 18644546;
  f.net_assets = 38992459;
  f.net_income = 3525138;
  f.has_equity_statement = true;
  f.equity_net_income = 3525138;
  f.cost_of_goods_manufactured = 46346945;
  f.cost_of_sales = 46096945;
  f.cost_of_sales_items = {{"期首製品棚卸高", 2400000, false}, {"期末製品棚卸高", 2650000, true}};
  f.has_ledger = true;
  f.ledger = {{"現金", 185320, 259159, 2, 259159}, {"土地", 15000000, 15000000, 0, std::nullopt}};
  return f;
}

enum Check { kBalance, kNetIncome, kCost, kLedger };

TEST(CrossChecksTest, PassingFiguresPassEveryCheck) {
  const auto results = RunCrossChecks(Passing());
  ASSERT_EQ(results.size(), 4u);
  for (const CheckResult& r : results) {
    EXPECT_TRUE(r.applies) << r.title;
    EXPECT_TRUE(r.passed) << r.title << ": " << r.detail;
  }
  EXPECT_TRUE(AllPassed(results));
}

TEST(CrossChecksTest, EachCheckFailsOnItsOwnFigureAndNamesTheDifference) {
  const struct {
    const char* what;
    std::function<void(ReportFigures&)> change;
    Check failing;
    const char* difference;  // as the detail shows it
  } cases[] = {
      {"assets 3 yen more", [](ReportFigures& f) { *f.assets += 3; }, kBalance, "差 3 円"},
      {"liabilities missing", [](ReportFigures& f) { f.liabilities.reset(); }, kBalance,
       "差 18,644,546 円"},
      {"equity net income off", [](ReportFigures& f) { *f.equity_net_income -= 1; }, kNetIncome,
       "差 1 円"},
      {"equity without net income", [](ReportFigures& f) { f.equity_net_income.reset(); },
       kNetIncome, "差 3,525,138 円"},
      {"cost schedule 4 yen more", [](ReportFigures& f) { *f.cost_of_goods_manufactured += 4; },
       kCost, "差 4 円"},
      {"closing inventory taken as added",
       [](ReportFigures& f) { f.cost_of_sales_items[1].deducted = false; }, kCost,
       "差 5,300,000 円"},
      {"ledger ends off its closing", [](ReportFigures& f) { f.ledger[0].last_balance = 259000; },
       kLedger, "差 -159 円"},
      {"ledger without lines off its closing", [](ReportFigures& f) { f.ledger[1].opening = 1; },
       kLedger, "差 -14,999,999 円"},
  };
  for (const auto& c : cases) {
    ReportFigures figures = Passing();
    c.change(figures);
    const auto results = RunCrossChecks(figures);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(results[k].passed, k != c.failing) << c.what << ": " << results[k].title;
    }
    EXPECT_NE(results[c.failing].detail.find(c.difference), std::string::npos)
        << c.what << ": " << results[c.failing].detail;
    EXPECT_FALSE(AllPassed(results)) << c.what;
  }
}

TEST(CrossChecksTest, SumsAcceptTheTruncationOfTheirFiguresAndNoMore) {
  const struct {
    std::function<void(ReportFigures&, std::int64_t)> change;
    Check check;
    std::int64_t tolerance;
  } cases[] = {
      {[](ReportFigures& f, std::int64_t d) { *f.assets += d; }, kBalance, 2},
      {[](ReportFigures& f, std::int64_t d) { *f.cost_of_goods_manufactured -= d; }, kCost, 3},
      {[](ReportFigures& f, std::int64_t d) { *f.net_income += d; }, kNetIncome, 0},
      {[](ReportFigures& f, std::int64_t d) { *f.ledger[0].last_balance += d; }, kLedger, 0},
  };
  for (const auto& c : cases) {
    ReportFigures within = Passing();
    c.change(within, c.tolerance);
    EXPECT_TRUE(RunCrossChecks(within)[c.check].passed) << c.check;
    ReportFigures beyond = Passing();
    c.change(beyond, c.tolerance + 1);
    EXPECT_FALSE(RunCrossChecks(beyond)[c.check].passed) << c.check;
  }
}

TEST(CrossChecksTest, ChecksWithoutTheirStatementDoNotApplyAndPass) {
  ReportFigures f;
  f.assets = 100;
  f.liabilities = 40;
  f.net_assets = 60;
  f.net_income = 5;  // no equity statement, no cost schedule, no ledger
  const auto results = RunCrossChecks(f);
  EXPECT_TRUE(results[kBalance].applies);
  EXPECT_FALSE(results[kNetIncome].applies);
  EXPECT_FALSE(results[kCost].applies);
  EXPECT_FALSE(results[kLedger].applies);
  EXPECT_TRUE(AllPassed(results));
}

TEST(CrossChecksTest, LedgerFailureNamesEveryAccountAndTheExcludedLines) {
  ReportFigures f = Passing();
  f.ledger[0].last_balance = 0;
  f.ledger[1].opening = 0;
  const CheckResult result = RunCrossChecks(f)[kLedger];
  EXPECT_NE(result.detail.find("現金"), std::string::npos);
  EXPECT_NE(result.detail.find("土地"), std::string::npos);
  EXPECT_NE(result.detail.find("2 科目が一致しません"), std::string::npos);
  EXPECT_NE(result.detail.find("集計から除かれる科目"), std::string::npos);
}

TEST(CrossChecksTest, TheWarningShowsFailedChecksOnlyAndCutsALongDetailKeepingItsSummary) {
  EXPECT_EQ(FailedChecksWarning(RunCrossChecks(Passing())), "");
  ReportFigures f = Passing();
  f.assets = *f.assets + 5;
  f.ledger.assign(30, {"科目", 100, 200, 1, 100});
  const std::string warning = FailedChecksWarning(RunCrossChecks(f), 10);
  EXPECT_NE(warning.find("貸借対照表"), std::string::npos);
  EXPECT_EQ(warning.find("当期純利益"), std::string::npos) << warning;
  // 30 accounts and the summary: 9 accounts shown, 21 counted, the summary last.
  std::size_t shown = 0;
  for (std::size_t at = warning.find("  科目:"); at != std::string::npos;
       at = warning.find("  科目:", at + 1)) {
    ++shown;
  }
  EXPECT_EQ(shown, 9u) << warning;
  EXPECT_NE(warning.find("  ほか 21 行\n  30 科目が一致しません"), std::string::npos) << warning;
}

}  // namespace
}  // namespace vintor::checks
