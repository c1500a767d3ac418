#include "view/section_titles.h"

namespace vintor::view {

namespace {

std::string DateText(std::string_view date) {
  if (date.size() != 8) return std::string(date);
  for (char c : date) {
    if (c < '0' || c > '9') return std::string(date);
  }
  return std::string(date.substr(0, 4)) + "年" + std::string(date.substr(4, 2)) + "月" +
         std::string(date.substr(6, 2)) + "日";
}

}  // namespace

std::string_view StatementTitle(std::string_view element) {
  if (element == "BalanceSheet") return "貸借対照表";
  if (element == "IncomeStatement") return "損益計算書";
  if (element == "ScheduleCostGoodsManufactured") return "製造原価報告書";
  return element;
}

std::string_view EquityTitle(int select) {
  return select == 2 ? "社員資本等変動計算書" : "株主資本等変動計算書";
}

std::string EntryLabel(const report::StatementEntry& entry) {
  if (!entry.label.empty()) return entry.label;
  // The income taxes are written without a heading line of their own.
  if (entry.element == "IncomeTaxes") return "法人税等";
  return entry.element;
}

std::string PeriodText(std::string_view from, std::string_view to) {
  return DateText(from) + " ～ " + DateText(to);
}

}  // namespace vintor::view
