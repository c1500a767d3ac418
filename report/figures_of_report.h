// The figures the cross-statement checks compare, taken from a report that was read back.
#pragma once

#include "checks/report_figures.h"
#include "report/report_contents.h"

namespace vintor::report {

// Picks the figures out of the contents: the balance sheet's totals Assets, Liabilities and
// NetAssets; the income statement's NetIncome and CostOfSales with its items; the cost
// schedule's CostFinishedGoods; the net income the equity statement gives as a reason
// "当期純利益" (added up over its columns); and per ledger account its balances and line
// count. A figure the report does not have stays empty.
checks::ReportFigures FiguresOfReport(const ReportContents& contents);

}  // namespace vintor::report
