#include "statements/statement_sections.h"

#include <cstdint>
#include <span>

namespace vintor::statements {

namespace {

enum class Step {
  kOpen,            // heading of the character
  kItems,           // item rows of the mask
  kClose,           // closing tag
  kOtherFixed,      // the fixed assets outside the subsections
  kOtherFixedWarn,  // the same, warning about each
  kSection,         // heading, item rows one level deeper, closing tag
  kSectionIfAny,    // kSection, only when the heading line exists
  kTotal,           // stand-alone total
  kIncomeTaxes,     // plain opening tag, income-tax rows one level deeper, closing tag
};

struct Row {
  Step step;
  std::uint32_t character;  // character or mask; unused by kClose and the fixed-asset steps
  const char* element;
  int depth;
};

constexpr int kStatementDepth = 2;

constexpr Row kBalanceSheet[] = {
    {Step::kOpen, 0x80800000, "Assets", 3},
    {Step::kOpen, 0x80880000, "CurrentAssets", 4},
    {Step::kItems, 0x80880000, nullptr, 5},
    {Step::kClose, 0, "CurrentAssets", 4},
    {Step::kOpen, 0x80840000, "NoncurrentAssets", 4},
    {Step::kOpen, 0x80848000, "PropertyPlantAndEquipment", 5},
    {Step::kItems, 0x80848000, nullptr, 6},
    {Step::kOtherFixedWarn, 0, nullptr, 6},
    {Step::kClose, 0, "PropertyPlantAndEquipment", 5},
    {Step::kOpen, 0x80844000, "IntangibleAssets", 5},
    {Step::kItems, 0x80844000, nullptr, 6},
    {Step::kOtherFixed, 0, nullptr, 6},
    {Step::kClose, 0, "IntangibleAssets", 5},
    {Step::kOpen, 0x80842000, "InvestmentsAndOtherAssets", 5},
    {Step::kItems, 0x80842000, nullptr, 6},
    {Step::kOtherFixed, 0, nullptr, 6},
    {Step::kClose, 0, "InvestmentsAndOtherAssets", 5},
    {Step::kClose, 0, "NoncurrentAssets", 4},
    {Step::kOpen, 0x80820000, "DeferredAssets", 4},
    {Step::kItems, 0x80820000, nullptr, 5},
    {Step::kClose, 0, "DeferredAssets", 4},
    {Step::kClose, 0, "Assets", 3},
    {Step::kOpen, 0x80400000, "Liabilities", 3},
    {Step::kOpen, 0x80480000, "CurrentLiabilities", 4},
    {Step::kItems, 0x80480000, nullptr, 5},
    {Step::kClose, 0, "CurrentLiabilities", 4},
    {Step::kOpen, 0x80440000, "NoncurrentLiabilities", 4},
    {Step::kItems, 0x80440000, nullptr, 5},
    {Step::kClose, 0, "NoncurrentLiabilities", 4},
    {Step::kClose, 0, "Liabilities", 3},
    {Step::kOpen, 0x80200000, "NetAssets", 3},
    {Step::kItems, 0x80200000, nullptr, 4},
    {Step::kClose, 0, "NetAssets", 3},
};

constexpr Row kIncomeStatement[] = {
    {Step::kSection, 0x40888000, "NetSales", 3},
    {Step::kSection, 0x40884000, "CostOfSales", 3},
    {Step::kTotal, 0x40880008, "GrossProfit", 3},
    {Step::kSection, 0x40882000, "SellingGeneralAndAdministrativeExpenses", 3},
    {Step::kTotal, 0x40880000, "OperatingIncome", 3},
    {Step::kSection, 0x40848000, "NonOperatingIncome", 3},
    {Step::kSection, 0x40844000, "NonOperatingExpenses", 3},
    {Step::kTotal, 0x40800000, "OrdinaryIncome", 3},
    {Step::kSection, 0x40480000, "ExtraordinaryIncome", 3},
    {Step::kSection, 0x40440000, "ExtraordinaryLoss", 3},
    {Step::kTotal, 0x40200080, "IncomeBeforeIncomeTaxes", 3},
    {Step::kIncomeTaxes, 0x40200000, "IncomeTaxes", 3},
    {Step::kTotal, 0x40200040, "NetIncome", 3},
};

constexpr Row kCostReport[] = {
    {Step::kSection, 0x20800000, "MaterialCost", 3},
    {Step::kSection, 0x20400000, "LaborCost", 3},
    {Step::kSectionIfAny, 0x20040000, "SubcontractCost", 3},
    {Step::kSection, 0x20200000, "OverheadExpenses", 3},
    {Step::kTotal, 0x20080000, "TotalProductionCostUtilized", 3},
    {Step::kSection, 0x20108000, "WorkProcessBeginningInventories", 3},
    {Step::kTotal, 0x20100008, "SubtotalScheduleCostGoodsManufactured", 3},
    {Step::kSection, 0x20102000, "WorkProcessClosingInventories", 3},
    // The cost of finished goods is an income-statement account: it flows into the cost of
    // sales, and the schedule ends with it.
    {Step::kTotal, 0x40884200, "CostFinishedGoods", 3},
};

bool WriteSection(LineWriter& writer, const Row& row) {
  return writer.WriteHeading(row.character, row.element, row.depth) &&
         writer.WriteItems(row.character, row.depth + 1) &&
         writer.xml().CloseElement(row.element, row.depth);
}

bool WriteRow(LineWriter& writer, const Row& row) {
  switch (row.step) {
    case Step::kOpen:
      return writer.WriteHeading(row.character, row.element, row.depth);
    case Step::kItems:
      return writer.WriteItems(row.character, row.depth);
    case Step::kClose:
      return writer.xml().CloseElement(row.element, row.depth);
    case Step::kOtherFixed:
      return writer.WriteOtherFixedAssets(row.depth, false);
    case Step::kOtherFixedWarn:
      return writer.WriteOtherFixedAssets(row.depth, true);
    case Step::kSection:
      return WriteSection(writer, row);
    case Step::kSectionIfAny:
      // Subcontracting is a section only some books keep: without its heading line there is
      // no element for it at all, not even an empty one.
      if (writer.lines().FindLineByCharacter(row.character) == nullptr) return true;
      return WriteSection(writer, row);
    case Step::kTotal:
      return writer.WriteTotal(row.character, row.element, row.depth);
    case Step::kIncomeTaxes:
      return writer.xml().OpenElement(row.element, row.depth) &&
             writer.WriteIncomeTaxItems(row.depth + 1) &&
             writer.xml().CloseElement(row.element, row.depth);
  }
  return false;
}

bool WriteStatement(LineWriter& writer, const char* element, std::span<const Row> rows) {
  if (!writer.xml().OpenElement(element, kStatementDepth)) return false;
  for (const Row& row : rows) {
    if (!WriteRow(writer, row)) return false;
  }
  return writer.xml().CloseElement(element, kStatementDepth);
}

}  // namespace

bool WriteBalanceSheet(LineWriter& writer) {
  return WriteStatement(writer, "BalanceSheet", kBalanceSheet);
}

bool WriteIncomeStatement(LineWriter& writer) {
  return WriteStatement(writer, "IncomeStatement", kIncomeStatement);
}

bool WriteCostReport(LineWriter& writer) {
  return WriteStatement(writer, "ScheduleCostGoodsManufactured", kCostReport);
}

}  // namespace vintor::statements
