#include "statements/line_writer.h"

#include <vector>

#include "statements/amount_text.h"
#include "statements/clean_label.h"
#include "text/cp932.h"

namespace vintor::statements {

namespace {

constexpr std::uint32_t kIncomeTaxMask = 0x40200000;
// The totals of the net-result section that share its bits but are written as totals of
// their own (or not at all), never as income-tax rows.
constexpr std::uint32_t kNotIncomeTaxes[] = {0x40200010, 0x40200020, 0x40200080};

constexpr const char* kItem = "Item";
constexpr const char* kLabel = "Label";
constexpr const char* kAmount = "Amount";

// An account name as it appears in the report. A name with nothing in it gives an empty
// label rather than none: the receiving application expects the attribute on every row.
std::string Label(std::string_view name) {
  std::string cleaned;
  if (!CleanLabel(name, &cleaned)) cleaned.clear();
  return cleaned;
}

std::string_view FormalName(const StatementLine& line) {
  return text::FieldText(line.formal_name);
}

std::string_view StatementName(const StatementLine& line) {
  return text::FieldText(line.statement_name);
}

}  // namespace

std::string UnclassifiedFixedAssetWarning(std::int32_t key, std::string_view formal_name) {
  std::string message =
      "以下の科目は、正しい分類に出力することができません。\r\n"
      "科目性格を見直す必要があります。\r\n\r\n科目コード\t： ";
  message += std::to_string(key / 10'000);
  message += "\r\n正式名称\t： ";
  message += formal_name;
  message +=
      "\r\n\r\nTavrelの勘定科目設定画面にて、科目性格を\r\n"
      " [有形固定資産] [無形固定資産] [投資その他の資産]\r\n"
      "のいずれかに設定し、もう一度処理を行ってください。\r\n";
  return message;
}

bool LineWriter::WriteHeading(std::uint32_t character, std::string_view element, int depth) {
  const StatementLine* line = lines_.FindLineByCharacter(character);
  if (line == nullptr) return xml_.OpenElement(element, depth);
  const std::string label = Label(FormalName(*line));
  const std::string amount = AmountText(line->closing);
  return xml_.OpenElement(element, depth, {kLabel, label.c_str()}, {kAmount, amount.c_str()});
}

bool LineWriter::WriteItems(std::uint32_t mask, int depth) {
  std::vector<StatementLine> rows;
  if (!lines_.CollectLinesByMask(mask, &rows)) return false;
  return WriteItemRows(rows, depth, [](const StatementLine&) { return false; });
}

bool LineWriter::WriteTotal(std::uint32_t character, std::string_view element, int depth) {
  const StatementLine* line = lines_.FindLineByCharacter(character);
  if (line == nullptr) return true;
  // Totals carry the short statement name where the books have one; a name made only of
  // decoration counts as none.
  std::string label = Label(StatementName(*line));
  if (label.empty()) label = Label(FormalName(*line));
  const std::string amount = AmountText(line->closing);
  return xml_.Element(element, "", depth, {kLabel, label.c_str()}, {kAmount, amount.c_str()});
}

bool LineWriter::WriteIncomeTaxItems(int depth) {
  std::vector<StatementLine> rows;
  if (!lines_.CollectLinesByMask(kIncomeTaxMask, &rows)) return false;
  return WriteItemRows(rows, depth, [](const StatementLine& line) {
    for (std::uint32_t character : kNotIncomeTaxes) {
      if (line.character == character) return true;
    }
    return false;
  });
}

bool LineWriter::WriteOtherFixedAssets(int depth, bool warn) {
  std::vector<StatementLine> rows;
  for (std::uint32_t character : kOtherFixedAssetCharacters) {
    if (!lines_.CollectLinesByCharacter(character, &rows)) return false;
    for (const StatementLine& line : rows) {
      const std::string amount = AmountText(line.closing);
      if (amount.empty()) continue;
      // The account still appears, under the first subsection that lists it; the user is
      // told once so that its character can be corrected in the books.
      if (warn) diagnostics_.Warn(UnclassifiedFixedAssetWarning(line.key, FormalName(line)));
      if (!WriteItem(line, amount, depth)) return false;
    }
  }
  return true;
}

template <typename Skip>
bool LineWriter::WriteItemRows(const std::vector<StatementLine>& rows, int depth, Skip skip) {
  for (const StatementLine& line : rows) {
    if (skip(line)) continue;
    // Less than one yen either way has no amount text: such a row would say nothing.
    const std::string amount = AmountText(line.closing);
    if (amount.empty()) continue;
    if (!WriteItem(line, amount, depth)) return false;
  }
  return true;
}

bool LineWriter::WriteItem(const StatementLine& line, const std::string& amount, int depth) {
  const std::string label = Label(FormalName(line));
  return xml_.Element(kItem, amount, depth, {kLabel, label.c_str()});
}

}  // namespace vintor::statements
