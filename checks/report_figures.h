// The figures of one report that the cross-statement checks compare. Plain data with no
// knowledge of where the figures came from: the report reader fills it from a file
// (report/figures_of_report.h), and the exporter can fill it from its own totals.
// Amounts are whole yen as the report shows them (each truncated toward zero); texts are
// CP932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vintor::checks {

// An item the income statement's cost of sales lists beside the cost carried over from the
// cost schedule: an inventory or a purchase.
struct CostOfSalesItem {
  std::string label;
  std::int64_t amount = 0;
  bool deducted = false;  // a closing inventory, taken off the cost of sales
};

// One account of the general ledger.
struct LedgerFigures {
  std::string name;
  std::int64_t opening = 0;
  std::int64_t closing = 0;  // the closing balance the ledger states
  std::int64_t line_count = 0;
  std::optional<std::int64_t> last_balance;  // the running balance after its last line
};

struct ReportFigures {
  // The balance sheet's three totals; none when the report has no balance sheet or the
  // total is empty.
  std::optional<std::int64_t> assets;
  std::optional<std::int64_t> liabilities;
  std::optional<std::int64_t> net_assets;

  // The income statement's net income.
  std::optional<std::int64_t> net_income;
  // The statement of changes in net assets: whether the report has one, and the net income it
  // shows as a change of retained earnings (none when it shows none, which means zero).
  bool has_equity_statement = false;
  std::optional<std::int64_t> equity_net_income;

  // The cost schedule's cost of goods manufactured; none without a cost schedule.
  std::optional<std::int64_t> cost_of_goods_manufactured;
  // The income statement's cost of sales and the items it lists.
  std::optional<std::int64_t> cost_of_sales;
  std::vector<CostOfSalesItem> cost_of_sales_items;

  // The general ledger, when the report has one.
  bool has_ledger = false;
  std::vector<LedgerFigures> ledger;
};

}  // namespace vintor::checks
