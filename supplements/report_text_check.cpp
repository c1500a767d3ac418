#include "supplements/report_text_check.h"

#include <cstdio>

#include "text/cp932.h"
#include "text/xml_entities.h"

namespace vintor::supplements {

namespace {

// " に制御文字 0x01 があります" for the control character of text, or empty when there is none.
std::string ControlFound(std::string_view text) {
  const std::size_t at = text::FindUnwritableControl(text);
  if (at == std::string_view::npos) return {};
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(text[at]));
  return std::string("に制御文字 ") + code + " があります。XMLファイルには書けません。";
}

}  // namespace

std::string FindUnwritableReportText(std::string_view company_name,
                                     const statements::StatementLineList& lines,
                                     const std::vector<std::string>& note_lines) {
  if (std::string found = ControlFound(company_name); !found.empty()) return "会社名" + found;

  for (const statements::StatementLine& line : lines) {
    const std::string account = "科目 " + std::to_string(line.key);
    if (std::string found = ControlFound(text::FieldText(line.formal_name)); !found.empty())
      return account + " の正式名称" + found;
    if (std::string found = ControlFound(text::FieldText(line.statement_name)); !found.empty())
      return account + " の表示名" + found;
  }

  for (std::size_t k = 0; k < note_lines.size(); ++k) {
    if (std::string found = ControlFound(note_lines[k]); !found.empty())
      return "注記の " + std::to_string(k + 1) + " 行目" + found;
  }
  return {};
}

std::string FindUnwritableLedgerText(const LedgerEntryList& ledger) {
  for (const LedgerEntry& entry : ledger) {
    const struct {
      const char* name;
      std::string_view text;
    } fields[] = {{"摘要", text::FieldText(entry.description)},
                  {"相手科目名", text::FieldText(entry.counter_account_name)},
                  {"相手補助科目名", text::FieldText(entry.counter_sub_account_name)},
                  {"補助科目名", text::FieldText(entry.own_sub_account_name)},
                  {"日付", text::FieldText(entry.date_text)}};
    for (const auto& field : fields) {
      std::string found = ControlFound(field.text);
      if (found.empty()) continue;
      // The date names the line only when it is itself clean: the message goes to a terminal.
      const std::string_view date = text::FieldText(entry.date_text);
      const bool date_clean = text::FindUnwritableControl(date) == std::string_view::npos;
      return "科目 " + std::to_string(entry.account_key) + " の元帳、伝票番号 " +
             std::to_string(entry.number) + (date_clean ? "（" + std::string(date) + "）" : "") +
             "の" + field.name + found;
    }
  }
  return {};
}

}  // namespace vintor::supplements
