#include "supplements/equity_statement.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "statements/clean_label.h"
#include "text/cp932.h"

namespace vintor::supplements {

namespace {

using statements::StatementLine;
using statements::XmlWriter;

constexpr int kColumnCount = 12;
constexpr int kRetainedEarningsColumn = 6;
constexpr std::uint32_t kNetIncomeCharacter = 0x40200040;
constexpr std::int64_t kScale = 10'000;

constexpr std::array<std::string_view, kColumnCount> kColumnLabels = {
    "資本金",         "資本準備金",       "その他資本剰余金",
    "利益準備金",     "別途積立金",       "任意積立金",
    "繰越利益剰余金", "自己株式",         "その他有価証券評価差額金",
    "繰延ヘッジ損益", "土地再評価差額金", "新株予約権",
};

// Reserves share one account character; the general reserve is told apart by its name.
enum class NameTest {
  kAny,
  kGeneralReserve,     // the cleaned name contains 別途積立金
  kNotGeneralReserve,  // it does not
};

struct ColumnAccount {
  int column;
  std::uint32_t character;
  NameTest name_test;
};

// Several characters can feed one column; within a column they are added in this order.
constexpr ColumnAccount kColumnAccounts[] = {
    {0, 0x80288000, NameTest::kAny},
    {0, 0x80288040, NameTest::kAny},
    {0, 0x80288020, NameTest::kAny},
    {1, 0x80282080, NameTest::kAny},
    {2, 0x80282040, NameTest::kAny},
    {3, 0x80281080, NameTest::kAny},
    {4, 0x80281040, NameTest::kGeneralReserve},
    {5, 0x80281040, NameTest::kNotGeneralReserve},
    {6, 0x80281048, NameTest::kAny},
    {7, 0x80280800, NameTest::kAny},
    {8, 0x80248000, NameTest::kAny},
    {9, 0x80244000, NameTest::kAny},
    {10, 0x80242000, NameTest::kAny},
    {11, 0x80220000, NameTest::kAny},
};

constexpr std::string_view kGeneralReserveName = "別途積立金";
constexpr std::string_view kNetIncomeReason = "当期純利益";

// A match is looked for only where a character starts: a byte search could begin on the
// trail byte of one character and read the next ones as the name.
bool ContainsOnCharacterBoundary(std::string_view text, std::string_view part) {
  for (std::size_t position = 0; position < text.size();
       position += text::CharacterLengthAt(text, position)) {
    if (text.substr(position).starts_with(part)) return true;
  }
  return false;
}

// The name is compared without its spaces, brackets and markers, so 【別途積立金】 and
// 別 途 積 立 金 both name the general reserve.
bool IsGeneralReserve(const StatementLine& line) {
  std::string cleaned;
  if (!statements::CleanLabel(text::FieldText(line.formal_name), &cleaned)) return false;
  return ContainsOnCharacterBoundary(cleaned, kGeneralReserveName);
}

bool PassesNameTest(const StatementLine& line, NameTest test) {
  switch (test) {
    case NameTest::kAny:
      return true;
    case NameTest::kGeneralReserve:
      return IsGeneralReserve(line);
    case NameTest::kNotGeneralReserve:
      return !IsGeneralReserve(line);
  }
  return false;
}

// Whole yen, the fraction dropped toward zero. Zero is written as "0".
std::string YenText(std::int64_t yen) {
  return std::to_string(yen);
}

}  // namespace

EquityStatementSection::EquityStatementSection(const statements::StatementLineList& lines,
                                               std::int16_t equity_choice)
    : lines_(lines), equity_choice_(equity_choice) {}

bool EquityStatementSection::Write(XmlWriter& writer) {
  if (!writer.OpenElement("StatementChangesNetAssets", 2)) return false;
  if (!writer.Element("Select", std::to_string(equity_choice_), 3)) return false;
  for (int column = 0; column < kColumnCount; ++column) {
    if (!WriteColumn(writer, column)) return false;
  }
  return writer.CloseElement("StatementChangesNetAssets", 2);
}

bool EquityStatementSection::SumColumn(int column, ColumnTotals* totals) const {
  std::vector<StatementLine> lines;
  for (const ColumnAccount& account : kColumnAccounts) {
    if (account.column != column) continue;
    if (!lines_.CollectLinesByCharacter(account.character, &lines)) return false;
    for (const StatementLine& line : lines) {
      if (!PassesNameTest(line, account.name_test)) continue;
      // Each line is cut to whole yen before it is added, so fractions never add up to a yen
      // the lines themselves do not show.
      totals->opening += line.opening / kScale;
      totals->change += line.change / kScale;
      totals->closing += line.closing / kScale;
    }
  }
  return true;
}

bool EquityStatementSection::WriteColumn(XmlWriter& writer, int column) const {
  ColumnTotals totals;
  if (!SumColumn(column, &totals)) return false;
  if (totals.IsZero()) return true;

  // The period's net income is itemised as the change of retained earnings brought forward.
  // Its line must exist once that column has anything to show.
  std::int64_t net_income = 0;
  if (column == kRetainedEarningsColumn) {
    const StatementLine* net_income_line = lines_.FindLineByCharacter(kNetIncomeCharacter);
    if (net_income_line == nullptr) return false;
    net_income = net_income_line->change / kScale;
  }

  if (!writer.OpenElement("ChangesNetAssetsItem", 3)) return false;
  if (!writer.Element("AccountList", kColumnLabels[column], 4)) return false;
  if (totals.opening != 0 &&
      !writer.Element("BalanceEndPreviousPeriod", YenText(totals.opening), 4)) {
    return false;
  }
  if (totals.change != 0 || net_income != 0) {
    if (!writer.OpenElement("ChangesItemsDuringPeriod", 4)) return false;
    if (!writer.Element("TotalChangesItemsDuringPeriod", YenText(totals.change), 5)) return false;
    if (net_income != 0) {
      if (!writer.OpenElement("ChangesItem", 5) || !writer.Element("Reason", kNetIncomeReason, 6) ||
          !writer.Element("Amount", YenText(net_income), 6) ||
          !writer.CloseElement("ChangesItem", 5)) {
        return false;
      }
    }
    if (!writer.CloseElement("ChangesItemsDuringPeriod", 4)) return false;
  }
  if (totals.closing != 0 &&
      !writer.Element("BalanceEndCurrentPeriod", YenText(totals.closing), 4)) {
    return false;
  }
  return writer.CloseElement("ChangesNetAssetsItem", 3);
}

}  // namespace vintor::supplements
