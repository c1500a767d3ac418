#include "report/figures_of_report.h"

#include <string_view>

namespace vintor::report {

namespace {

constexpr std::string_view kNetIncomeReason = "当期純利益";
// Inventories at the end of the period are the only items a cost of sales takes off; the
// report gives no sign for them, only their name, which always begins so ("期末商品棚卸高",
// "期末製品棚卸高").
constexpr std::string_view kClosingPrefix = "期末";

const StatementEntry* FindEntry(const Statement* statement, std::string_view element) {
  if (statement == nullptr) return nullptr;
  for (const StatementEntry& entry : statement->entries) {
    if (entry.element == element) return &entry;
  }
  return nullptr;
}

std::optional<std::int64_t> AmountOf(const Statement* statement, std::string_view element) {
  const StatementEntry* entry = FindEntry(statement, element);
  return entry == nullptr ? std::nullopt : entry->amount;
}

}  // namespace

checks::ReportFigures FiguresOfReport(const ReportContents& contents) {
  checks::ReportFigures figures;
  const Statement* balance_sheet = contents.FindStatement("BalanceSheet");
  figures.assets = AmountOf(balance_sheet, "Assets");
  figures.liabilities = AmountOf(balance_sheet, "Liabilities");
  figures.net_assets = AmountOf(balance_sheet, "NetAssets");

  const Statement* income = contents.FindStatement("IncomeStatement");
  figures.net_income = AmountOf(income, "NetIncome");
  figures.cost_of_sales = AmountOf(income, "CostOfSales");
  if (income != nullptr) {
    // The items of the cost of sales are the Items that follow its heading, one level deeper.
    bool inside = false;
    int depth = 0;
    for (const StatementEntry& entry : income->entries) {
      if (entry.element == "CostOfSales") {
        inside = true;
        depth = entry.depth;
      } else if (inside && entry.element == "Item" && entry.depth == depth + 1) {
        figures.cost_of_sales_items.push_back(
            {entry.label, entry.amount.value_or(0),
             std::string_view(entry.label).starts_with(kClosingPrefix)});
      } else if (inside) {
        break;
      }
    }
  }

  // With a cost schedule its figure is there to compare even when the report leaves it empty.
  if (const Statement* cost = contents.FindStatement("ScheduleCostGoodsManufactured")) {
    figures.cost_of_goods_manufactured = AmountOf(cost, "CostFinishedGoods").value_or(0);
  }

  if (contents.equity) {
    figures.has_equity_statement = true;
    for (const EquityColumn& column : contents.equity->columns) {
      for (const EquityChange& change : column.reasons) {
        if (change.reason != kNetIncomeReason) continue;
        figures.equity_net_income = figures.equity_net_income.value_or(0) + change.amount;
      }
    }
  }

  if (contents.ledger) {
    figures.has_ledger = true;
    for (const LedgerAccount& account : *contents.ledger) {
      figures.ledger.push_back({account.name, account.opening, account.closing, account.line_count,
                                account.last_balance});
    }
  }
  return figures;
}

}  // namespace vintor::report
