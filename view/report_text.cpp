#include "view/report_text.h"

#include <cstddef>

#include "checks/yen_text.h"
#include "view/section_titles.h"
#include "view/text_table.h"

namespace vintor::view {

namespace {

using Align = TextTable::Align;

std::string Amount(const std::optional<std::int64_t>& amount) {
  return amount ? checks::GroupedYen(*amount) : std::string();
}

std::string Title(std::string_view title) {
  return "\n■ " + std::string(title) + "\n\n";
}

std::string Indent(int depth) {
  return std::string(static_cast<std::size_t>(depth > 0 ? depth : 0) * 2, ' ');
}

}  // namespace

std::string ReportText::Heading() const {
  return contents_.company + "\n" + PeriodText(contents_.period_from, contents_.period_to) + "\n";
}

std::string ReportText::Statement(const report::Statement& statement) const {
  TextTable table({Align::kLeft, Align::kRight});
  for (const report::StatementEntry& entry : statement.entries) {
    table.AddRow({Indent(entry.depth) + EntryLabel(entry), Amount(entry.amount)});
  }
  return Title(StatementTitle(statement.element)) + table.Render();
}

std::string ReportText::Equity() const {
  TextTable table({Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  table.AddRow({"科目", "前期末残高", "当期変動額", "当期末残高"});
  table.AddRule();
  for (const report::EquityColumn& column : contents_.equity->columns) {
    table.AddRow({column.account, checks::GroupedYen(column.previous.value_or(0)),
                  checks::GroupedYen(column.change.value_or(0)),
                  checks::GroupedYen(column.current.value_or(0))});
    for (const report::EquityChange& change : column.reasons) {
      table.AddRow({"  " + change.reason, "", checks::GroupedYen(change.amount), ""});
    }
  }
  return Title(EquityTitle(contents_.equity->select)) + table.Render();
}

std::string ReportText::Notes() const {
  std::string out = Title("注記");
  if (contents_.notes->empty()) return out + "（なし）\n";
  for (const report::NoteEntry& note : *contents_.notes) {
    const int depth = note.depth - 3;
    out += Indent(depth) + "[" + note.element + "]\n";
    for (const std::string& line : note.lines) out += Indent(depth + 1) + line + "\n";
  }
  return out;
}

std::string ReportText::LedgerList() const {
  std::int64_t lines = 0;
  for (const report::LedgerAccount& account : *contents_.ledger) lines += account.line_count;
  TextTable table(
      {Align::kRight, Align::kLeft, Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  table.AddRow({"番号", "科目", "区分", "期首残高", "期末残高", "行数"});
  table.AddRule();
  std::size_t number = 0;
  for (const report::LedgerAccount& account : *contents_.ledger) {
    table.AddRow({std::to_string(++number), account.name, account.section,
                  checks::GroupedYen(account.opening), checks::GroupedYen(account.closing),
                  std::to_string(account.line_count)});
  }
  return Title("総勘定元帳（" + std::to_string(contents_.ledger->size()) + " 科目、" +
               std::to_string(lines) + " 行）") +
         table.Render() + "\n科目ごとの元帳: --account 番号 または --account 科目名\n";
}

std::string ReportText::Checks() const {
  std::string out = Title("検査");
  for (const checks::CheckResult& check : checks_) {
    const char* mark = !check.applies ? "対象外" : check.passed ? "OK" : "NG";
    out += "[" + std::string(mark) + "] " + check.title + "\n";
    std::string detail = check.detail;
    std::size_t start = 0;
    while (start < detail.size()) {
      std::size_t end = detail.find('\n', start);
      if (end == std::string::npos) end = detail.size();
      out += "    " + detail.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  return out;
}

std::string ReportText::Render() const {
  std::string out = Heading();
  std::size_t statement = 0;
  for (report::SectionKind kind : contents_.section_order) {
    switch (kind) {
      case report::SectionKind::kStatement:
        out += Statement(contents_.statements[statement++]);
        break;
      case report::SectionKind::kEquity:
        out += Equity();
        break;
      case report::SectionKind::kNotes:
        out += Notes();
        break;
      case report::SectionKind::kLedger:
        out += LedgerList();
        break;
    }
  }
  return out + Checks();
}

std::string ReportText::RenderAccount(const AccountSelection& selection) const {
  std::string out = Heading();
  std::size_t index = 0;
  auto line = selection.lines().begin();
  for (const report::LedgerAccount& account : *contents_.ledger) {
    if (!selection.Matches(account, index++)) continue;
    out += Title("総勘定元帳 " + std::to_string(index) + " " + account.name + "（" +
                 account.section + "）");
    TextTable table({Align::kRight, Align::kLeft, Align::kLeft, Align::kLeft, Align::kLeft,
                     Align::kLeft, Align::kRight, Align::kRight});
    table.AddRow({"伝票", "日付", "補助科目", "相手科目", "相手補助科目", "摘要", "金額", "残高"});
    table.AddRule();
    table.AddRow({"", "", "", "", "", "期首残高", "", checks::GroupedYen(account.opening)});
    // The selection kept the lines of the matching accounts in report order, so each
    // account's lines are the next line_count of them.
    for (std::int64_t k = 0; k < account.line_count && line != selection.lines().end();
         ++k, ++line) {
      table.AddRow({line->voucher, line->date, line->sub_account, line->counter_account,
                    line->counter_sub_account, line->description, checks::GroupedYen(line->amount),
                    checks::GroupedYen(line->balance)});
    }
    table.AddRule();
    table.AddRow({"", "", "", "", "", "期末残高", "", checks::GroupedYen(account.closing)});
    out += table.Render();
  }
  return out + Checks();
}

}  // namespace vintor::view
