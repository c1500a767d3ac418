#include "checks/cross_checks.h"

#include <cstdlib>
#include <string_view>

#include "checks/yen_text.h"

namespace vintor::checks {

namespace {

// Compares a figure with the figures it should equal, allowing the given number of yen of
// truncation, and writes both sides and the difference into the result.
void Compare(CheckResult* result, const std::string& left_name, std::int64_t left,
             const std::string& right_name, std::int64_t right, std::int64_t tolerance) {
  const std::int64_t difference = left - right;
  result->detail = left_name + " " + GroupedYen(left) + "、" + right_name + " " + GroupedYen(right);
  if (difference == 0) return;
  const std::int64_t size = difference < 0 ? -difference : difference;
  result->detail += "、差 " + GroupedYen(difference) + " 円";
  if (size <= tolerance) {
    result->detail += "（端数の切り捨てによる " + std::to_string(tolerance) + " 円以内の差）";
  } else {
    result->passed = false;
  }
}

CheckResult NotApplicable(std::string title, std::string why) {
  CheckResult result;
  result.title = std::move(title);
  result.applies = false;
  result.detail = std::move(why);
  return result;
}

CheckResult BalanceSheet(const ReportFigures& f) {
  const std::string title = "貸借対照表: 資産 = 負債 + 純資産";
  if (!f.assets && !f.liabilities && !f.net_assets) {
    return NotApplicable(title, "貸借対照表がありません");
  }
  CheckResult result;
  result.title = title;
  const std::int64_t assets = f.assets.value_or(0);
  const std::int64_t liabilities = f.liabilities.value_or(0);
  const std::int64_t net_assets = f.net_assets.value_or(0);
  Compare(&result, "資産の部合計", assets,
          "負債の部合計 + 純資産の部合計 (" + GroupedYen(liabilities) + " + " +
              GroupedYen(net_assets) + ")",
          liabilities + net_assets, 2);
  return result;
}

CheckResult NetIncome(const ReportFigures& f) {
  const std::string title = "当期純利益: 損益計算書 = 株主資本等変動計算書";
  if (!f.has_equity_statement) return NotApplicable(title, "株主資本等変動計算書がありません");
  CheckResult result;
  result.title = title;
  Compare(&result, "損益計算書の当期純利益", f.net_income.value_or(0),
          "株主資本等変動計算書の当期純利益", f.equity_net_income.value_or(0), 0);
  return result;
}

CheckResult CostOfGoodsManufactured(const ReportFigures& f) {
  const std::string title = "当期製品製造原価: 製造原価報告書 = 損益計算書の売上原価の内訳";
  if (!f.cost_of_goods_manufactured) return NotApplicable(title, "製造原価報告書がありません");
  CheckResult result;
  result.title = title;
  // What the income statement carries is what its cost of sales holds beyond the items it
  // lists: opening inventory and purchases come off, a closing inventory goes back on.
  std::int64_t carried = f.cost_of_sales.value_or(0);
  std::string how = "売上原価合計 " + GroupedYen(carried);
  for (const CostOfSalesItem& item : f.cost_of_sales_items) {
    carried += item.deducted ? item.amount : -item.amount;
    how += (item.deducted ? " + " : " - ") + item.label + " " + GroupedYen(item.amount);
  }
  const auto tolerance = static_cast<std::int64_t>(f.cost_of_sales_items.size()) + 1;
  Compare(&result, "製造原価報告書の当期製品製造原価", *f.cost_of_goods_manufactured,
          "損益計算書が受け入れた額 (" + how + ")", carried, tolerance);
  return result;
}

CheckResult Ledger(const ReportFigures& f) {
  const std::string title = "総勘定元帳: 各科目の最後の残高 = 期末残高";
  if (!f.has_ledger) return NotApplicable(title, "総勘定元帳がありません");
  CheckResult result;
  result.title = title;
  int failing = 0;
  for (const LedgerFigures& account : f.ledger) {
    const std::int64_t last = account.last_balance.value_or(account.opening);
    if (last == account.closing) continue;
    ++failing;
    result.passed = false;
    result.detail += account.name + ": 最後の残高 " + GroupedYen(last) + "（" +
                     std::to_string(account.line_count) + " 行）、期末残高 " +
                     GroupedYen(account.closing) + "、差 " + GroupedYen(last - account.closing) +
                     " 円\n";
  }
  if (failing == 0) {
    result.detail = std::to_string(f.ledger.size()) + " 科目すべて一致";
  } else {
    result.detail += std::to_string(failing) +
                     " 科目が一致しません。集計から除かれる科目（"
                     "振替勘定など）を相手とする仕訳は元帳に載らず残高を動かさないため、"
                     "その金額の差であることがあります。";
  }
  return result;
}

}  // namespace

std::vector<CheckResult> RunCrossChecks(const ReportFigures& figures) {
  return {BalanceSheet(figures), NetIncome(figures), CostOfGoodsManufactured(figures),
          Ledger(figures)};
}

bool AllPassed(const std::vector<CheckResult>& results) {
  for (const CheckResult& result : results) {
    if (!result.passed) return false;
  }
  return true;
}

std::string FailedChecksWarning(const std::vector<CheckResult>& results, std::size_t max_lines) {
  if (AllPassed(results)) return {};
  std::string warning =
      "財務諸表の間で合わない金額があります。レポートは出力しましたが、申告に使う前に"
      "確かめてください。\n";
  for (const CheckResult& result : results) {
    if (result.passed) continue;
    warning += "\n" + result.title + "\n";
    std::vector<std::string_view> lines;
    for (std::string_view rest = result.detail; !rest.empty();) {
      const std::size_t end = rest.find('\n');
      lines.push_back(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    // A long detail keeps its first lines and its last, which sums it up.
    const bool cut = lines.size() > max_lines && max_lines >= 2;
    const std::size_t head = cut ? max_lines - 1 : lines.size();
    for (std::size_t k = 0; k < head; ++k) warning += "  " + std::string(lines[k]) + "\n";
    if (cut) {
      warning += "  ほか " + std::to_string(lines.size() - head - 1) + " 行\n";
      warning += "  " + std::string(lines.back()) + "\n";
    }
  }
  return warning;
}

}  // namespace vintor::checks
