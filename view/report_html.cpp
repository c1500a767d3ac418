#include "view/report_html.h"

#include <cstddef>
#include <utility>

#include "checks/yen_text.h"
#include "view/section_titles.h"

namespace vintor::view {

namespace {

constexpr const char* kStyle = R"(
body { font-family: "Noto Sans CJK JP", "IPAPGothic", "Meiryo", sans-serif; margin: 2em auto;
       max-width: 60em; color: #222; line-height: 1.45; }
h1 { font-size: 1.5em; margin-bottom: 0.2em; }
h2 { font-size: 1.2em; border-bottom: 2px solid #345; padding-bottom: 0.2em; margin-top: 2em; }
.period { color: #555; margin-top: 0; }
nav ol { columns: 2; }
table { border-collapse: collapse; width: 100%; font-size: 0.92em; }
th, td { padding: 0.15em 0.6em; border-bottom: 1px solid #ddd; vertical-align: top; }
th { background: #eef2f6; text-align: left; }
td.amount, th.amount { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums; }
tr.heading td { font-weight: bold; background: #f7f9fb; }
.neg { color: #b00; }
.ok { color: #175; font-weight: bold; }
.ng { color: #b00; font-weight: bold; }
.na { color: #777; }
.ok, .ng, .na { white-space: nowrap; }
.note-name { font-weight: bold; margin: 0.6em 0 0.1em; }
.note-line { margin: 0 0 0 1.5em; }
pre.detail { margin: 0; white-space: pre-wrap; font-family: inherit; }
@media print {
  body { margin: 0; max-width: none; font-size: 10pt; }
  nav { display: none; }
  h2 { break-after: avoid; }
  section { break-inside: auto; }
  tr { break-inside: avoid; }
  .neg, .ng { color: #000; }
}
)";

std::string AmountCell(const std::optional<std::int64_t>& amount) {
  if (!amount) return "<td class=\"amount\"></td>";
  if (*amount < 0) {
    return "<td class=\"amount neg\">△" + checks::GroupedYen(-*amount) + "</td>";
  }
  return "<td class=\"amount\">" + checks::GroupedYen(*amount) + "</td>";
}

std::string Cell(std::string_view text) {
  return "<td>" + ReportHtml::Escape(text) + "</td>";
}

std::string IndentedCell(std::string_view text, int depth) {
  return "<td style=\"padding-left:" + std::to_string(0.6 + 1.4 * (depth > 0 ? depth : 0)) +
         "em\">" + ReportHtml::Escape(text) + "</td>";
}

std::string SectionStart(const std::string& id, std::string_view title) {
  return "<section id=\"" + id + "\">\n<h2>" + ReportHtml::Escape(title) + "</h2>\n";
}

}  // namespace

std::string ReportHtml::Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string ReportHtml::Statement(const report::Statement& statement, const std::string& id) const {
  std::string out = SectionStart(id, StatementTitle(statement.element));
  out += "<table>\n<tr><th>科目</th><th class=\"amount\">金額（円）</th></tr>\n";
  for (const report::StatementEntry& entry : statement.entries) {
    out += entry.element == "Item" ? "<tr>" : "<tr class=\"heading\">";
    out += IndentedCell(EntryLabel(entry), entry.depth) + AmountCell(entry.amount) + "</tr>\n";
  }
  return out + "</table>\n</section>\n";
}

std::string ReportHtml::Equity() const {
  std::string out = SectionStart("equity", EquityTitle(contents_.equity->select));
  out +=
      "<table>\n<tr><th>科目</th><th class=\"amount\">前期末残高</th>"
      "<th class=\"amount\">当期変動額</th><th class=\"amount\">当期末残高</th></tr>\n";
  for (const report::EquityColumn& column : contents_.equity->columns) {
    out += "<tr class=\"heading\">" + Cell(column.account) +
           AmountCell(column.previous.value_or(0)) + AmountCell(column.change.value_or(0)) +
           AmountCell(column.current.value_or(0)) + "</tr>\n";
    for (const report::EquityChange& change : column.reasons) {
      out += "<tr>" + IndentedCell(change.reason, 1) + AmountCell(std::nullopt) +
             AmountCell(change.amount) + AmountCell(std::nullopt) + "</tr>\n";
    }
  }
  return out + "</table>\n</section>\n";
}

std::string ReportHtml::Notes() const {
  std::string out = SectionStart("notes", "注記");
  if (contents_.notes->empty()) out += "<p>（なし）</p>\n";
  for (const report::NoteEntry& note : *contents_.notes) {
    const std::string margin =
        " style=\"margin-left:" + std::to_string(1.5 * (note.depth > 3 ? note.depth - 3 : 0)) +
        "em\"";
    out += "<div" + margin + ">\n<p class=\"note-name\">" + Escape(note.element) + "</p>\n";
    for (const std::string& line : note.lines) {
      out += "<p class=\"note-line\">" + Escape(line) + "</p>\n";
    }
    out += "</div>\n";
  }
  return out + "</section>\n";
}

std::string ReportHtml::Ledger(const AccountSelection* selection) const {
  std::string out = SectionStart("ledger", "総勘定元帳");
  out +=
      "<table>\n<tr><th class=\"amount\">番号</th><th>科目</th><th>区分</th>"
      "<th class=\"amount\">期首残高</th><th class=\"amount\">期末残高</th>"
      "<th class=\"amount\">行数</th></tr>\n";
  std::size_t number = 0;
  for (const report::LedgerAccount& account : *contents_.ledger) {
    out += "<tr><td class=\"amount\">" + std::to_string(++number) + "</td>" + Cell(account.name) +
           Cell(account.section) + AmountCell(account.opening) + AmountCell(account.closing) +
           "<td class=\"amount\">" + std::to_string(account.line_count) + "</td></tr>\n";
  }
  out += "</table>\n";
  if (selection != nullptr) {
    std::size_t index = 0;
    auto line = selection->lines().begin();
    for (const report::LedgerAccount& account : *contents_.ledger) {
      if (!selection->Matches(account, index++)) continue;
      out += "<h3>" + std::to_string(index) + " " + Escape(account.name) + "（" +
             Escape(account.section) +
             "）</h3>\n<table>\n<tr><th class=\"amount\">伝票</th>"
             "<th>日付</th><th>補助科目</th><th>相手科目</th><th>相手補助科目</th><th>摘要</th>"
             "<th class=\"amount\">金額</th><th class=\"amount\">残高</th></tr>\n";
      out += "<tr><td colspan=\"7\">期首残高</td>" + AmountCell(account.opening) + "</tr>\n";
      for (std::int64_t k = 0; k < account.line_count && line != selection->lines().end();
           ++k, ++line) {
        out += "<tr><td class=\"amount\">" + Escape(line->voucher) + "</td>" + Cell(line->date) +
               Cell(line->sub_account) + Cell(line->counter_account) +
               Cell(line->counter_sub_account) + Cell(line->description) +
               AmountCell(line->amount) + AmountCell(line->balance) + "</tr>\n";
      }
      out += "<tr class=\"heading\"><td colspan=\"7\">期末残高</td>" + AmountCell(account.closing) +
             "</tr>\n</table>\n";
    }
  }
  return out + "</section>\n";
}

std::string ReportHtml::Checks() const {
  std::string out = SectionStart("checks", "検査（ファイルの金額から計算）");
  out += "<table>\n<tr><th>検査</th><th>結果</th><th>内容</th></tr>\n";
  for (const checks::CheckResult& check : checks_) {
    const char* mark = !check.applies ? "<td class=\"na\">対象外</td>"
                       : check.passed ? "<td class=\"ok\">OK</td>"
                                      : "<td class=\"ng\">不一致</td>";
    out += "<tr>" + Cell(check.title) + mark + "<td><pre class=\"detail\">" + Escape(check.detail) +
           "</pre></td></tr>\n";
  }
  return out + "</table>\n</section>\n";
}

std::string ReportHtml::Render(const AccountSelection* selection) const {
  std::vector<std::pair<std::string, std::string>> toc;  // id, title
  std::string body;
  std::size_t statement = 0;
  for (report::SectionKind kind : contents_.section_order) {
    switch (kind) {
      case report::SectionKind::kStatement: {
        const report::Statement& s = contents_.statements[statement];
        const std::string id = "statement" + std::to_string(++statement);
        toc.emplace_back(id, std::string(StatementTitle(s.element)));
        body += Statement(s, id);
        break;
      }
      case report::SectionKind::kEquity:
        toc.emplace_back("equity", std::string(EquityTitle(contents_.equity->select)));
        body += Equity();
        break;
      case report::SectionKind::kNotes:
        toc.emplace_back("notes", "注記");
        body += Notes();
        break;
      case report::SectionKind::kLedger:
        toc.emplace_back("ledger", "総勘定元帳");
        body += Ledger(selection);
        break;
    }
  }
  toc.emplace_back("checks", "検査");
  body += Checks();

  std::string out =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
      Escape(contents_.company) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
      Escape(contents_.company) + "</h1>\n<p class=\"period\">" +
      Escape(PeriodText(contents_.period_from, contents_.period_to)) +
      "</p>\n<nav>\n<h2>目次</h2>\n<ol>\n";
  for (const auto& [id, title] : toc) {
    out += "<li><a href=\"#" + id + "\">" + Escape(title) + "</a></li>\n";
  }
  return out + "</ol>\n</nav>\n" + body + "</body>\n</html>\n";
}

}  // namespace vintor::view
