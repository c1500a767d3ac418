#include "supplements/report_text_check.h"

#include <array>
#include <cstdio>
#include <optional>

#include "text/cp932.h"
#include "text/jis_x0208.h"
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

namespace {

// "科目 1110000 の元帳、伝票番号 12（令和7年4月1日）の": where a ledger line's field is.
std::string LedgerPlace(const LedgerEntry& entry) {
  // The date names the line only when it is itself clean: the message goes to a terminal.
  const std::string_view date = text::FieldText(entry.date_text);
  const bool date_clean = text::FindUnwritableControl(date) == std::string_view::npos;
  return "科目 " + std::to_string(entry.account_key) + " の元帳、伝票番号 " +
         std::to_string(entry.number) + (date_clean ? "（" + std::string(date) + "）" : "") + "の";
}

struct LedgerField {
  const char* name;
  std::string_view text;
};

// The texts of a ledger line, in the order they are looked at.
std::array<LedgerField, 5> LedgerFields(const LedgerEntry& entry) {
  return {{{"摘要", text::FieldText(entry.description)},
           {"相手科目名", text::FieldText(entry.counter_account_name)},
           {"相手補助科目名", text::FieldText(entry.counter_sub_account_name)},
           {"補助科目名", text::FieldText(entry.own_sub_account_name)},
           {"日付", text::FieldText(entry.date_text)}}};
}

}  // namespace

std::string CheckLedgerTexts(const LedgerEntryList& ledger, NonJisTextList* non_jis_texts) {
  // One walk over the texts of a million lines does for both checks.
  for (const LedgerEntry& entry : ledger) {
    for (const LedgerField& field : LedgerFields(entry)) {
      if (std::string found = ControlFound(field.text); !found.empty()) {
        return LedgerPlace(entry) + field.name + found;
      }
      // Most lines hold nothing to note; the place is named only for those that do.
      if (non_jis_texts == nullptr || !text::FindCharacterOutsideJisX0208(field.text)) continue;
      // A description is the line's own; names and dates recur on many lines.
      if (field.text.data() == entry.description) {
        non_jis_texts->Check(LedgerPlace(entry) + field.name, field.text);
      } else {
        non_jis_texts->CheckName(LedgerPlace(entry) + field.name, field.text);
      }
    }
  }
  return {};
}

void NonJisTextList::Check(std::string_view where, std::string_view text) {
  std::optional<text::NonJisCharacter> found = text::FindCharacterOutsideJisX0208(text);
  if (!found) return;
  ++places_;
  if (shown_.size() >= kPlacesShown) return;
  // Each character with its kind: "①（NEC特殊文字）髙（IBM拡張文字）".
  std::string characters;
  for (; found; found = text::FindCharacterOutsideJisX0208(text, found->offset + found->size)) {
    characters.append(text.substr(found->offset, found->size));
    characters += "（";
    characters += text::NonJisKindName(found->kind);
    characters += "）";
  }
  shown_.push_back("・" + std::string(where) + ": " + characters);
}

void NonJisTextList::CheckName(std::string_view where, std::string_view name) {
  if (!text::FindCharacterOutsideJisX0208(name) || names_noted_.contains(name)) return;
  names_noted_.emplace(name);
  Check(where, name);
}

void NonJisTextList::CheckStatements(std::string_view company_name,
                                     const statements::StatementLineList& lines,
                                     const std::vector<std::string>& note_lines) {
  Check("会社名", company_name);
  for (const statements::StatementLine& line : lines) {
    const std::string account = "科目 " + std::to_string(line.key);
    CheckName(account + " の正式名称", text::FieldText(line.formal_name));
    CheckName(account + " の表示名", text::FieldText(line.statement_name));
  }
  for (std::size_t k = 0; k < note_lines.size(); ++k) {
    Check("注記の " + std::to_string(k + 1) + " 行目", note_lines[k]);
  }
}

std::string NonJisTextList::Warning() const {
  if (places_ == 0) return {};
  std::string warning =
      "以下の文字は JIS X 0208 にない文字です。厳密な Shift_JIS の読み手は受け付けず、"
      "電子申告では置き換えられます。\n\n";
  for (const std::string& place : shown_) warning += place + "\n";
  if (places_ > shown_.size()) {
    warning += "ほか " + std::to_string(places_ - shown_.size()) + " か所\n";
  }
  warning += "\nこれらの文字はそのまま出力しました。";
  return warning;
}

}  // namespace vintor::supplements
