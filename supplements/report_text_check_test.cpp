#include "supplements/report_text_check.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vintor::supplements {
namespace {

TEST(ReportTextCheckTest, NamesTheFirstTextNoXmlFileCanHold) {
  struct Case {
    const char* what;
    std::string company;
    std::string formal_name;
    std::string note;
    std::string description;
    std::string found;  // empty: every text can be written
  } const cases[] = {
      {"line breaks and tabs are written as references", "会社", "現金", "a\tb\r\n", "x\ty", ""},
      {"the company name", "会\x01社", "現金", "", "", "会社名に制御文字 0x01 があります"},
      {"an account name", "会社", "現\x1F", "", "", "科目 1110000 の正式名称に制御文字 0x1F"},
      {"a note line", "会社", "現金", "ok\x7F", "", "注記の 1 行目に制御文字 0x7F"},
      {"a ledger description, with the voucher and date", "会社", "現金", "", "x\x02",
       "科目 1110000 の元帳、伝票番号 12（令和7年4月1日）の摘要に制御文字 0x02"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    statements::StatementLineList lines;
    statements::StatementLine line;
    line.key = 1110000;
    std::strcpy(line.formal_name, c.formal_name.c_str());
    ASSERT_TRUE(lines.Append(line));
    LedgerEntryList ledger(1);
    ledger[0].account_key = 1110000;
    ledger[0].number = 12;
    std::strcpy(ledger[0].date_text, "令和7年4月1日");
    std::strcpy(ledger[0].description, c.description.c_str());
    std::string found = FindUnwritableReportText(c.company, lines, {c.note});
    if (found.empty()) found = CheckLedgerTexts(ledger, nullptr);
    if (c.found.empty()) {
      EXPECT_EQ(found, "");
    } else {
      EXPECT_EQ(found.rfind(c.found, 0), 0u) << found;
    }
  }
}

}  // namespace
}  // namespace vintor::supplements
