#include "supplements/ledger_section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "statements/test_fakes.h"
#include "text/cp932.h"

namespace vintor::supplements {
namespace {

using statements::StatementLine;
using statements::StatementLineList;
using statements::XmlWriter;
using statements::testing_aids::RecordingFile;

constexpr std::uint32_t kCash = 0x80880100;

StatementLine Account(std::int32_t key, const char* name, std::uint32_t character,
                      std::int64_t opening, std::int64_t closing) {
  StatementLine line;
  line.key = key;
  std::strncpy(line.formal_name, name, statements::kLineNameFieldSize - 1);
  line.character = character;
  line.opening = opening;
  line.closing = closing;
  return line;
}

LedgerEntry Entry(std::int32_t account_key, std::int32_t number, std::int64_t amount,
                  std::int64_t balance, const char* description = "",
                  const char* counter_name = "諸口") {
  LedgerEntry entry;
  entry.account_key = account_key;
  entry.number = number;
  text::CopyBounded("R07.04.01", entry.date_text);
  text::CopyBounded(counter_name, entry.counter_account_name);
  text::CopyBounded(description, entry.description);
  entry.amount = amount;
  entry.balance = balance;
  return entry;
}

struct Output {
  bool ok;
  std::string written;
};

Output WriteSection(const std::vector<StatementLine>& lines, const LedgerEntryList& entries,
                    int fail_from = 0) {
  StatementLineList list;
  for (const StatementLine& line : lines) list.Append(line);
  RecordingFile file;
  file.fail_from = fail_from;
  XmlWriter xml;
  xml.Open(&file, "out.xml");
  LedgerSection section(list, entries);
  const bool ok = section.Write(xml);
  return {ok, file.written};
}

// The text of the element name in the output, or "<missing>".
std::string ValueOf(const std::string& written, const std::string& name) {
  const std::string open = "<" + name + ">";
  const std::size_t start = written.find(open);
  if (start == std::string::npos) return "<missing>";
  const std::size_t from = start + open.size();
  return written.substr(from, written.find("</" + name + ">", from) - from);
}

// Hands out a list in parts of a given size, or fails after a number of parts.
class PartSource : public LedgerEntrySource {
 public:
  PartSource(const LedgerEntryList& all, std::size_t part, int fail_after)
      : all_(all), part_(part), fail_after_(fail_after) {}
  Answer Next(LedgerEntryList* entries) override {
    if (fail_after_-- == 0) return Answer::kFailed;
    if (next_ >= all_.size()) return Answer::kEnd;
    const std::size_t end = std::min(all_.size(), next_ + part_);
    entries->assign(all_.begin() + static_cast<std::ptrdiff_t>(next_),
                    all_.begin() + static_cast<std::ptrdiff_t>(end));
    next_ = end;
    return Answer::kEntries;
  }

 private:
  const LedgerEntryList& all_;
  std::size_t part_;
  int fail_after_;
  std::size_t next_ = 0;
};

// A ledger handed out in parts, split anywhere (inside an account too), is written as the
// whole list is; a source that fails fails the section.
TEST(LedgerSectionTest, PartsWriteWhatTheWholeListWrites) {
  StatementLineList lines;
  lines.Append(Account(1000'0000, "現金", kCash, 10'000, 20'000));
  lines.Append(Account(1110'0000, "（普通預金）", 0x80880200, 0, 30'000));
  lines.Append(Account(1120'0000, "当座預金", 0x80880200, 0, 40'000));
  const LedgerEntryList entries = {
      Entry(1000'0000, 1, 10'000, 20'000), Entry(1110'0000, 2, 10'000, 10'000),
      Entry(1110'0000, 3, 20'000, 30'000), Entry(1120'0000, 4, 40'000, 40'000)};
  const auto write = [&](LedgerSection& section) {
    RecordingFile file;
    XmlWriter xml;
    xml.Open(&file, "out.xml");
    return Output{section.Write(xml), file.written};
  };
  LedgerSection whole_section(lines, entries);
  const Output whole = write(whole_section);
  ASSERT_TRUE(whole.ok);
  for (const std::size_t part : {1, 2, 3, 4}) {
    SCOPED_TRACE("parts of " + std::to_string(part));
    PartSource source(entries, part, -1);
    LedgerSection section(lines, source);
    const Output parted = write(section);
    EXPECT_TRUE(parted.ok);
    EXPECT_EQ(parted.written, whole.written);
  }
  for (const int fail_after : {0, 1, 2}) {
    SCOPED_TRACE("failing after " + std::to_string(fail_after) + " parts");
    PartSource source(entries, 1, fail_after);
    LedgerSection section(lines, source);
    EXPECT_FALSE(write(section).ok);
  }
}

TEST(LedgerSectionTest, NoEntriesWriteNothing) {
  const Output output = WriteSection({Account(1000'0000, "現金", kCash, 10'000, 20'000)}, {});
  EXPECT_TRUE(output.ok);
  EXPECT_EQ(output.written, "");
}

TEST(LedgerSectionTest, WritesAWholeSection) {
  LedgerEntry sub = Entry(1110'0000, 12, 50'000'000, 150'000'000, "（注） 入金　分", "売上");
  text::CopyBounded("（本店）", sub.own_sub_account_name);
  text::CopyBounded("【国内】", sub.counter_sub_account_name);
  const Output output =
      WriteSection({Account(1000'0000, "現金", kCash, 10'000, 10'000),
                    Account(1110'0000, "（普通預金）", 0x80880200, 1'000'000'000, 1'500'000'000),
                    Account(8000'0000, "当期純利益", 0x40200040, 0, 5'000)},
                   {sub, Entry(1110'0000, 13, -123'456'789, 0)});
  ASSERT_TRUE(output.ok);
  EXPECT_EQ(output.written,
            "\t\t<QZ00780S>\r\n"
            "\t\t\t<QZ00780S01>\r\n"
            "\t\t\t\t<QZ00780S0010>普通預金</QZ00780S0010>\r\n"
            "\t\t\t\t<QZ00780S0020>\x97\xAC\x93\xAE\x8E\x91\x8E\x59</QZ00780S0020>\r\n"
            "\t\t\t\t<QZ00780S0030>100000</QZ00780S0030>\r\n"
            "\t\t\t\t<QZ00780S0040>150000</QZ00780S0040>\r\n"
            "\t\t\t\t<QZ00780S02>\r\n"
            "\t\t\t\t\t<QZ00780S0050>12</QZ00780S0050>\r\n"
            "\t\t\t\t\t<QZ00780S0060>R07.04.01</QZ00780S0060>\r\n"
            "\t\t\t\t\t<QZ00780S0070>本店</QZ00780S0070>\r\n"
            "\t\t\t\t\t<QZ00780S0080>売上</QZ00780S0080>\r\n"
            "\t\t\t\t\t<QZ00780S0090>国内</QZ00780S0090>\r\n"
            "\t\t\t\t\t<QZ00780S0100>（注） 入金　分</QZ00780S0100>\r\n"
            "\t\t\t\t\t<QZ00780S0110>5000</QZ00780S0110>\r\n"
            "\t\t\t\t\t<QZ00780S0120>15000</QZ00780S0120>\r\n"
            "\t\t\t\t</QZ00780S02>\r\n"
            "\t\t\t\t<QZ00780S02>\r\n"
            "\t\t\t\t\t<QZ00780S0050>13</QZ00780S0050>\r\n"
            "\t\t\t\t\t<QZ00780S0060>R07.04.01</QZ00780S0060>\r\n"
            "\t\t\t\t\t<QZ00780S0070></QZ00780S0070>\r\n"
            "\t\t\t\t\t<QZ00780S0080>諸口</QZ00780S0080>\r\n"
            "\t\t\t\t\t<QZ00780S0090></QZ00780S0090>\r\n"
            "\t\t\t\t\t<QZ00780S0100></QZ00780S0100>\r\n"
            "\t\t\t\t\t<QZ00780S0110>-12345</QZ00780S0110>\r\n"
            "\t\t\t\t\t<QZ00780S0120>0</QZ00780S0120>\r\n"
            "\t\t\t\t</QZ00780S02>\r\n"
            "\t\t\t</QZ00780S01>\r\n"
            "\t\t</QZ00780S>\r\n");
}

TEST(LedgerSectionTest, WritesTheAccountFields) {
  struct Case {
    const char* what;
    StatementLine line;
    const char* element;
    std::string value;
  } const cases[] = {
      {"current assets with further bits", Account(1, "現金", 0x80880000 | 0x1234, 0, 0),
       "QZ00780S0020", "流動資産"},
      {"the net income line", Account(1, "当期純利益", 0x40200040, 0, 0), "QZ00780S0020",
       "差引損益"},
      {"no section", Account(1, "仮", 0, 0, 0), "QZ00780S0020", ""},
      {"an empty name", Account(1, "", kCash, 0, 0), "QZ00780S0010", ""},
      {"a marker dropped", Account(1, "製品(製)", kCash, 0, 0), "QZ00780S0010", "製品"},
      {"opening toward zero", Account(1, "現金", kCash, -123'456'789, 0), "QZ00780S0030", "-12345"},
      {"closing of zero", Account(1, "現金", kCash, 10'000, 9'999), "QZ00780S0040", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Output output = WriteSection({c.line}, {Entry(1, 1, 0, 0)});
    EXPECT_TRUE(output.ok);
    EXPECT_EQ(ValueOf(output.written, c.element), c.value);
  }
}

TEST(LedgerSectionTest, ADescriptionThatEscapesPastTheLineIsCutNotRefused) {
  // Sixty ampersands escape to 300 bytes; the line holds 219 of them after its frame.
  LedgerEntry entry = Entry(1, 1, 0, 0);
  text::CopyBounded(std::string(60, '&'), entry.description);
  const Output output = WriteSection({Account(1, "現金", kCash, 0, 0)}, {entry});
  EXPECT_TRUE(output.ok);
  std::string kept;
  for (int k = 0; k < 43; ++k) kept += "&amp;";
  EXPECT_EQ(ValueOf(output.written, "QZ00780S0100"), kept);
}

TEST(LedgerSectionTest, AccountsWithoutEntriesGetNoBlock) {
  const Output output = WriteSection(
      {Account(1, "現金", kCash, 10'000, 10'000), Account(2, "小口現金", kCash, 20'000, 20'000),
       Account(3, "当座預金", kCash, 30'000, 30'000)},
      {Entry(1, 1, 0, 0), Entry(3, 2, 0, 0), Entry(3, 3, 0, 0)});
  ASSERT_TRUE(output.ok);
  EXPECT_NE(output.written.find("<QZ00780S0010>現金</"), std::string::npos);
  EXPECT_EQ(output.written.find("小口現金"), std::string::npos);
  EXPECT_NE(output.written.find("<QZ00780S0010>当座預金</"), std::string::npos);
  // 1 + 2 ledger lines, each block under its own account.
  EXPECT_NE(output.written.find("<QZ00780S0010>当座預金</QZ00780S0010>\r\n"
                                "\t\t\t\t<QZ00780S0020>流動資産</QZ00780S0020>\r\n"
                                "\t\t\t\t<QZ00780S0030>3</QZ00780S0030>\r\n"
                                "\t\t\t\t<QZ00780S0040>3</QZ00780S0040>\r\n"
                                "\t\t\t\t<QZ00780S02>\r\n"
                                "\t\t\t\t\t<QZ00780S0050>2</QZ00780S0050>\r\n"),
            std::string::npos);
  EXPECT_NE(output.written.find("<QZ00780S0050>3</QZ00780S0050>"), std::string::npos);
}

TEST(LedgerSectionTest, EntriesWithoutTheirAccountHoldTheWalkUpButEnd) {
  // Entries of account 9 have no statement line: they and everything after them stay out.
  const Output output =
      WriteSection({Account(1, "現金", kCash, 0, 0), Account(2, "預金", kCash, 0, 0)},
                   {Entry(1, 1, 0, 0), Entry(9, 2, 0, 0), Entry(2, 3, 0, 0)});
  ASSERT_TRUE(output.ok);
  EXPECT_NE(output.written.find("<QZ00780S0050>1</QZ00780S0050>"), std::string::npos);
  EXPECT_EQ(output.written.find("<QZ00780S0050>2</QZ00780S0050>"), std::string::npos);
  EXPECT_EQ(output.written.find("預金"), std::string::npos);
  EXPECT_TRUE(output.written.ends_with("\t\t\t</QZ00780S01>\r\n\t\t</QZ00780S>\r\n"));
}

TEST(LedgerSectionTest, AnyFailedLineFailsTheSection) {
  const std::vector<StatementLine> lines = {Account(1, "現金", kCash, 0, 0),
                                            Account(2, "預金", kCash, 0, 0)};
  const LedgerEntryList entries = {Entry(1, 1, 0, 0), Entry(2, 2, 0, 0)};
  // 1 + 2 x (5 + 10 + 1) + 1 lines, each one Append.
  constexpr int kLines = 34;
  ASSERT_TRUE(WriteSection(lines, entries).ok);
  for (int fail_from = 1; fail_from <= kLines; ++fail_from) {
    SCOPED_TRACE(fail_from);
    EXPECT_FALSE(WriteSection(lines, entries, fail_from).ok);
  }
  EXPECT_TRUE(WriteSection(lines, entries, kLines + 1).ok);
}

}  // namespace
}  // namespace vintor::supplements

namespace vintor::supplements {
namespace {

// The figures the ledger check compares are those written: whole yen, the cleaned name (a
// control character shown escaped), and per account its lines and last running balance.
TEST(LedgerSectionTest, RecordsTheFiguresItWritesForTheChecks) {
  StatementLineList lines;
  lines.Append(Account(1000'0000, "現金", kCash, 10'000, 25'000));
  lines.Append(Account(1110'0000, "（普通預金）", 0x80880200, 0, 30'000));
  lines.Append(Account(1120'0000, "当座\t預金", 0x80880200, 5'000, 5'000));
  const LedgerEntryList entries = {Entry(1000'0000, 1, 10'000, 20'000),
                                   Entry(1110'0000, 2, 10'000, 10'000),
                                   Entry(1110'0000, 3, 20'000, 30'000)};
  RecordingFile file;
  XmlWriter xml;
  xml.Open(&file, "out.xml");
  LedgerSection section(lines, entries);
  checks::ReportFigures figures;
  section.set_figures(&figures);
  ASSERT_TRUE(section.Write(xml));
  EXPECT_TRUE(figures.has_ledger);
  ASSERT_EQ(figures.ledger.size(), 2u) << "an account without lines is not in the ledger";
  const checks::LedgerFigures& cash = figures.ledger[0];
  EXPECT_EQ(cash.name, "現金");
  EXPECT_EQ(std::make_tuple(cash.opening, cash.closing, cash.line_count), std::make_tuple(1, 2, 1));
  EXPECT_EQ(cash.last_balance, 2);
  const checks::LedgerFigures& deposit = figures.ledger[1];
  EXPECT_EQ(deposit.name, "普通預金");
  EXPECT_EQ(std::make_tuple(deposit.line_count, *deposit.last_balance), std::make_tuple(2, 3));

  // A name with a TAB, as a warning on a terminal shows it.
  const LedgerEntryList tab_entries = {Entry(1120'0000, 4, 0, 5'000)};
  LedgerSection tab_section(lines, tab_entries);
  checks::ReportFigures tab_figures;
  tab_section.set_figures(&tab_figures);
  RecordingFile other;
  XmlWriter other_xml;
  other_xml.Open(&other, "out.xml");
  ASSERT_TRUE(tab_section.Write(other_xml));
  ASSERT_EQ(tab_figures.ledger.size(), 1u);
  EXPECT_EQ(tab_figures.ledger[0].name, "当座\\x09預金");
}

}  // namespace
}  // namespace vintor::supplements
