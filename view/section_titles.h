// The Japanese titles the viewer shows for the report's statements and lines.
#pragma once

#include <string>
#include <string_view>

#include "report/report_contents.h"

namespace vintor::view {

// "貸借対照表" for BalanceSheet and so on; the element name itself for any other.
std::string_view StatementTitle(std::string_view element);
// 株主資本等変動計算書 (select 1) or 社員資本等変動計算書 (2); the first for anything else.
std::string_view EquityTitle(int select);
// The line's Label, or a title for the one heading that has none (IncomeTaxes).
std::string EntryLabel(const report::StatementEntry& entry);
// The wareki-free period "2025年04月01日 ～ 2026年03月31日" of two YYYYMMDD texts; a text of
// another form is shown as it is.
std::string PeriodText(std::string_view from, std::string_view to);

}  // namespace vintor::view
