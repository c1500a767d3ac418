#include "report/report_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "report/test_reports.h"

namespace vintor::report {
namespace {

using testing::GoldenReport;
using testing::Replaced;

// A small report: the declaration, then one element a line.
const std::string kSmall =
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
    "<REPORT>\r\n"
    "<BASIC><KOMONSAKINAME>株式会社テスト</KOMONSAKINAME></BASIC>\r\n"
    "<DATA>\r\n"
    "<BalanceSheet>\r\n"
    "<Assets Label=\"資産の部合計\" Amount=\"10\">\r\n"
    "<Item Label=\"現金\">10</Item>\r\n"
    "</Assets>\r\n"
    "</BalanceSheet>\r\n"
    "<QZ00780S><QZ00780S01><QZ00780S0010>現金</QZ00780S0010>\r\n"
    "<QZ00780S02><QZ00780S0110>10</QZ00780S0110><QZ00780S0120>10</QZ00780S0120></QZ00780S02>\r\n"
    "</QZ00780S01></QZ00780S>\r\n"
    "</DATA>\r\n"
    "</REPORT>\r\n";

TEST(ReportReaderTest, ReadsTheSmallReport) {
  ReportContents contents;
  std::string error;
  ASSERT_TRUE(ReportReader().ReadBytes(kSmall, &contents, &error)) << error;
  EXPECT_EQ(contents.company, "株式会社テスト");
  ASSERT_EQ(contents.statements.size(), 1u);
  ASSERT_EQ(contents.statements[0].entries.size(), 2u);
  EXPECT_EQ(contents.statements[0].entries[1].label, "現金");
  EXPECT_EQ(contents.statements[0].entries[1].depth, 1);
  ASSERT_TRUE(contents.ledger);
  EXPECT_EQ((*contents.ledger)[0].line_count, 1);
}

// A report written elsewhere may hold TAB, LF and CR as character references; shown as they
// are, a CR would let the rest of a line overwrite its start on a terminal.
TEST(ReportReaderTest, KeepsTheControlCharactersOfTextsEscaped) {
  const std::string bytes =
      Replaced(Replaced(kSmall, "<QZ00780S0010>現金", "<QZ00780S0010>現金&#13;売掛金"),
               "<Item Label=\"現金\">", "<Item Label=\"現&#10;金&#9;\">");
  ReportContents contents;
  std::string error;
  ASSERT_TRUE(ReportReader().ReadBytes(bytes, &contents, &error)) << error;
  EXPECT_EQ(contents.statements[0].entries[1].label, "現\\x0A金\\x09");
  EXPECT_EQ((*contents.ledger)[0].name, "現金\\x0D売掛金");
}

// Bytes handed out a few at a time, so that a reference is cut between pieces.
class PiecesSource : public ByteSource {
 public:
  PiecesSource(std::string_view bytes, std::size_t piece) : rest_(bytes), piece_(piece) {}
  long Read(char* buffer, std::size_t capacity, std::string*) override {
    const std::size_t n = std::min({capacity, piece_, rest_.size()});
    std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return static_cast<long>(n);
  }

 private:
  std::string_view rest_;
  std::size_t piece_;
};

TEST(ReportReaderTest, ExactBytesReadEveryGoldenReportAsDecodingDoes) {
  for (const char* name : testing::kGoldenReports) {
    ReportContents decoded, exact;
    checks::ContentDigest decoded_digest, exact_digest;
    std::string error;
    ReportReader decoding;
    decoding.set_content_digest(&decoded_digest);
    ASSERT_TRUE(decoding.ReadBytes(GoldenReport(name), &decoded, &error)) << name << error;
    ReportReader byte_for_byte;
    byte_for_byte.set_content_digest(&exact_digest);
    byte_for_byte.set_exact_bytes(true);
    ASSERT_TRUE(byte_for_byte.ReadBytes(GoldenReport(name), &exact, &error)) << name << error;
    EXPECT_TRUE(exact_digest == decoded_digest) << name;
    EXPECT_EQ(exact.company, decoded.company) << name;
    EXPECT_EQ(exact.statements[0].entries[2].label, decoded.statements[0].entries[2].label);
  }
}

// Read byte for byte, a reference to a byte value could pass for the byte itself (&#140;&#187;
// for 現): only the references the exporter writes are taken, wherever the pieces are cut.
TEST(ReportReaderTest, ExactBytesTakeOnlyTheReferencesTheExporterWrites) {
  const struct {
    const char* what;
    std::string bytes;
    bool read;
  } cases[] = {
      {"LF and TAB", Replaced(kSmall, "株式会社", "株式&#10;会社&#9;"), true},
      {"an entity beside a reference", Replaced(kSmall, "株式会社", "&amp;&#13;"), true},
      {"the bytes of a character", Replaced(kSmall, "株式会社", "&#140;&#187;"), false},
      {"hexadecimal", Replaced(kSmall, "株式会社", "&#xA;"), false},
      {"a reference after an ampersand", Replaced(kSmall, "株式会社", "&amp;&#233;"), false},
  };
  for (const auto& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 16}) {
      ReportReader reader;
      reader.set_exact_bytes(true);
      PiecesSource source(c.bytes, piece);
      ReportContents contents;
      std::string error;
      EXPECT_EQ(reader.Read(source, &contents, &error), c.read) << c.what << " " << piece << error;
    }
  }
}

TEST(ReportReaderTest, RefusesWhatIsNotAWellFormedReportAndSaysWhere) {
  const std::string sample = GoldenReport("VintorOak-sample.xml");
  ASSERT_FALSE(sample.empty());
  const struct {
    const char* what;
    std::string bytes;
    const char* message;  // a part of the error
  } cases[] = {
      {"empty file", "", "XML として正しくありません"},
      {"truncated", sample.substr(0, sample.size() / 2), "XML として正しくありません"},
      {"declared UTF-8", Replaced(kSmall, "Shift_JIS", "UTF-8"), "1 行 1 列: 符号化方式"},
      {"bytes no CP932 character has", Replaced(kSmall, "現金\">10", "\x85\x40\">10"), "7 行"},
      {"UTF-8 text declared Shift_JIS", Replaced(kSmall, "現金\">10", "\xEF\xBD\xBF\">10"), "7 行"},
      {"no declaration", "<REPORT><BASIC/><DATA/></REPORT>", "XML 宣言"},
      {"no declaration, CP932 read as UTF-8", kSmall.substr(kSmall.find("<REPORT>")),
       "2 行 23 列: XML として正しくありません"},
      {"unknown root",
       Replaced(Replaced(kSmall, "<REPORT>", "<REPORTS>"), "</REPORT>", "</REPORTS>"),
       "2 行 1 列: ルート要素が <REPORTS>"},
      {"unknown element in a statement", Replaced(kSmall, "<Item ", "<Bogus/><Item "),
       "7 行 1 列: <Bogus> はここに置けない要素です（<Assets> の中）"},
      {"item directly in a statement", Replaced(kSmall, "<Assets ", "<Item>1</Item><Assets "),
       "<Item> はここに置けない要素です（<BalanceSheet> の中）"},
      {"element inside an item", Replaced(kSmall, "10</Item>", "<b>10</b></Item>"),
       "<Item> の中に要素 <b> は置けません"},
      {"amount that is no number", Replaced(kSmall, ">10</Item>", ">1,000</Item>"),
       "\"1,000\" は数値ではありません"},
      {"unknown attribute", Replaced(kSmall, "<Assets ", "<Assets Sign=\"-\" "),
       "知らない属性 Sign"},
      {"text between elements", Replaced(kSmall, "<BalanceSheet>", "<BalanceSheet>x"),
       "<BalanceSheet> の中に文字列は置けません"},
      {"document type", Replaced(kSmall, "<REPORT>", "<!DOCTYPE REPORT []><REPORT>"), "文書型宣言"},
      {"unknown ledger field", Replaced(kSmall, "<QZ00780S0110>", "<QZ00780S0130/><QZ00780S0110>"),
       "<QZ00780S0130> はここに置けない要素です（<QZ00780S02> の中）"},
      {"no DATA", kSmall.substr(0, kSmall.find("<DATA>")) + "</REPORT>", "<DATA> がありません"},
      {"unknown section", Replaced(kSmall, "<BalanceSheet>", "<CashFlow/><BalanceSheet>"),
       "<CashFlow> はここに置けない要素です（<DATA> の中）"},
  };
  for (const auto& c : cases) {
    ReportContents contents;
    std::string error;
    EXPECT_FALSE(ReportReader().ReadBytes(c.bytes, &contents, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

TEST(ReportReaderTest, ReadsEveryGoldenReport) {
  for (const char* name : testing::kGoldenReports) {
    ReportContents contents;
    std::string error;
    EXPECT_TRUE(ReportReader().ReadBytes(GoldenReport(name), &contents, &error))
        << name << ": " << error;
    EXPECT_GE(contents.statements.size(), 2u) << name;
    EXPECT_TRUE(contents.equity) << name;
    EXPECT_TRUE(contents.ledger) << name;
  }
}

TEST(ReportReaderTest, KeepsTheSampleReportInReportOrder) {
  ReportContents contents;
  std::string error;
  ASSERT_TRUE(ReportReader().ReadBytes(GoldenReport("VintorOak-sample.xml"), &contents, &error))
      << error;
  EXPECT_TRUE(contents.company.starts_with("株式会社サンプル製作所"));
  EXPECT_EQ(contents.period_from, "20250401");
  EXPECT_EQ(contents.period_to, "20260331");
  using K = SectionKind;
  EXPECT_EQ(contents.section_order, (std::vector<K>{K::kStatement, K::kStatement, K::kStatement,
                                                    K::kEquity, K::kNotes, K::kLedger}));
  ASSERT_EQ(contents.statements.size(), 3u);
  const StatementEntry& cash = contents.statements[0].entries[2];
  EXPECT_EQ(cash.label, "現金本社");
  EXPECT_EQ(cash.amount, 259159);
  EXPECT_EQ(cash.depth, 2);
  // Amount="" is no amount, not zero.
  const Statement& income = contents.statements[1];
  bool empty_seen = false;
  for (const StatementEntry& e : income.entries) {
    if (e.element == "ExtraordinaryIncome") empty_seen = !e.amount.has_value();
  }
  EXPECT_TRUE(empty_seen);
  ASSERT_EQ(contents.equity->columns.size(), 11u);
  EXPECT_EQ(contents.equity->columns[6].reasons[0].amount, 3525138);
  EXPECT_EQ(contents.notes->front().element, "NotesSignificantAccountingPolicy");
  // "&amp;" and "&lt;" come back as the characters.
  bool entity_seen = false;
  for (const NoteEntry& note : *contents.notes) {
    for (const std::string& line : note.lines) entity_seen |= line == "<注>　金額は概算です（1）";
  }
  EXPECT_TRUE(entity_seen);
}

TEST(ReportReaderTest, HandsOutLedgerLinesWithoutKeepingThem) {
  std::int64_t lines = 0;
  std::vector<LedgerLine> first_account;
  ReportReader reader;
  reader.set_ledger_line_handler(
      [&](const LedgerAccount& account, std::size_t index, const LedgerLine& line) {
        ++lines;
        EXPECT_EQ(account.last_balance, line.balance);
        if (index == 0) first_account.push_back(line);
      });
  ReportContents contents;
  std::string error;
  ASSERT_TRUE(reader.ReadBytes(GoldenReport("VintorOak-sample.xml"), &contents, &error)) << error;
  std::int64_t counted = 0;
  for (const LedgerAccount& account : *contents.ledger) counted += account.line_count;
  EXPECT_EQ(lines, counted);
  const LedgerAccount& cash = contents.ledger->front();
  EXPECT_EQ(cash.name, "現金本社");
  EXPECT_EQ(cash.section, "流動資産");
  EXPECT_EQ(cash.opening, 185320);
  ASSERT_EQ(static_cast<std::int64_t>(first_account.size()), cash.line_count);
  EXPECT_EQ(first_account[0].voucher, "3");
  EXPECT_EQ(first_account[0].date, "令和7年4月2日");
  EXPECT_EQ(first_account[0].counter_account, "小口現金");
  EXPECT_EQ(first_account[0].amount, -13200);
  EXPECT_EQ(first_account[0].balance, 172120);
  EXPECT_EQ(first_account.back().balance, cash.closing);
}

}  // namespace
}  // namespace vintor::report
