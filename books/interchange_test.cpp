// The interchange folder on real files: canonical folders survive import and export byte
// for byte, and every kind of bad input is refused with the file and line that hold it.
#include "books/interchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "books/generator.h"
#include "books/interchange_tables.h"
#include "os/fault_injection.h"
#include "os/scratch_folder.h"

namespace vintor::books {
namespace {

using Folder = std::map<std::string, std::u8string>;

// File contents are written as u8 literals: they stay UTF-8, as the files are, while the
// expected values and messages below are ordinary (CP932) literals.
std::string Utf8(std::u8string_view text) {
  return {text.begin(), text.end()};
}

// The smallest folder that uses every table. Line numbers in the refusal cases refer to it.
const Folder kMinimal = {
    {"books.csv", u8"current_user\nu1\n"},
    {"users.csv", u8"user_id,name,selected_first,selected_data\nu1,管理者,1,1\n"},
    {"eras.csv", u8"id,first_day,name\n1,19890108,平成\n2,20190501,令和\n"},
    {"folders.csv", u8"type,path\n0,\n1,/vintor/\n"},
    {"companies.csv",
     u8"data_number,data_id,name,first_day,last_day,cost_schedule,interim,introduction_month,"
     u8"companies_act,tax_included\n"
     u8"1,C001,株式会社表ソ,20240401,20250331,1,1,0,1,0\n"},
    {"accounts.csv",
     u8"data_number,key,formal_name,statement_name,character,kind,debit_nature,no_ledger_1,"
     u8"no_ledger_2,formula\n"
     u8"1,1000000,資産合計,資産,0x80800000,2,1,0,0,+0x80800000\n"  // line 2
     u8"1,1110000,現金,,0x80880100,0,1,0,0,\n"                     // line 3
     u8"1,1310000,普通預金,,0x80880100,0,1,0,0,\n"                 // line 4
     u8"1,1310001,表ソ銀行,,0x80880100,1,1,0,0,\n"                 // line 5
     u8"1,1890000,仮払消費税,,0x80880810,0,1,0,0,\n"               // line 6
     u8"1,3100000,資本金,,0x80280100,0,0,0,0,\n"                   // line 7
     u8"1,4000000,売上合計,,0x40888000,2,0,0,0,+#4110000\n"        // line 8
     u8"1,4110000,売上高,,0x40888100,0,0,0,0,\n"},                 // line 9
    {"openings.csv", u8"data_number,key,amount\n1,1110000,1000\n1,3100000,1000\n"},
    {"vouchers.csv",
     u8"data_number,journal_key,number,date,period_kind\n"
     u8"1,1,1,20240401,0\n"
     u8"1,2,2,20240930,15\n"},
    {"journal.csv",
     u8"data_number,journal_key,line,debit_key,debit_amount,debit_tax,credit_key,credit_amount,"
     u8"credit_tax,description\n"
     u8"1,1,1,1110000,1100,0,4110000,1100,0,売上\n"
     u8"1,2,1,1310001,1000,100,1110000,1100,0,預入\n"},
};

// Writes the files plainly (a replacement would sync each one to disk, which only slows
// the tests down).
bool WriteFile(os::Os& os, const std::string& path, std::u8string_view content) {
  const std::unique_ptr<os::WritableFile> file = os.OpenForWriting(path);
  return file && file->Append(Utf8(content)) && file->Close();
}

bool WriteFolder(os::Os& os, const std::string& root, const Folder& folder) {
  for (const auto& [name, content] : folder) {
    for (std::size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
      const std::string parent = interchange::JoinPath(root, name.substr(0, slash));
      if (!os.IsFolder(parent) && !os.CreateFolder(parent)) return false;
    }
    if (!WriteFile(os, interchange::JoinPath(root, name), content)) return false;
  }
  return true;
}

// Replaces line `line` (from 1) of the file, or appends when line is 0.
Folder WithLine(Folder folder, const std::string& file, int line, std::u8string_view text) {
  std::u8string& content = folder.at(file);
  if (line == 0) {
    content.append(text).append(u8"\n");
    return folder;
  }
  std::size_t start = 0;
  for (int k = 1; k < line; ++k) start = content.find(u8'\n', start) + 1;
  const std::size_t end = content.find(u8'\n', start);
  content.replace(start, end - start, text);
  return folder;
}

class InterchangeTest : public ::testing::Test {
 protected:
  bool Import(const Folder& folder, BooksData* data, std::string* error) {
    os::ScratchFolder scratch(os_);
    if (!WriteFolder(os_, scratch.path(), folder)) {
      *error = "test folder not written";
      return false;
    }
    // Both ways of keeping the journal accept and refuse alike.
    BooksData compact_data;
    CompactJournal journal;
    std::string compact_error;
    const bool compact_read =
        ReadInterchange(os_, scratch.path(), &compact_data, &journal, &compact_error);
    const bool read = ReadInterchange(os_, scratch.path(), data, error);
    EXPECT_EQ(compact_read, read);
    EXPECT_EQ(compact_error, read ? "" : *error);
    return read;
  }

  std::string ReadBack(const std::string& root, const std::string& name) {
    std::string content;
    EXPECT_TRUE(os_.ReadWholeFile(interchange::JoinPath(root, name), &content)) << name;
    return content;
  }

  os::Os& os_ = os::SystemOs();
};

TEST_F(InterchangeTest, ReadsTheMinimalFolder) {
  BooksData data;
  std::string error;
  ASSERT_TRUE(Import(kMinimal, &data, &error)) << error;
  ASSERT_EQ(data.companies.size(), 1u);
  const CompanyBooks& books = data.companies[0];
  EXPECT_EQ(books.company.name, "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x95\x5C\x83\x5C");
  EXPECT_EQ(books.accounts.size(), 8u);
  ASSERT_EQ(books.vouchers.size(), 2u);
  EXPECT_EQ(books.vouchers[1].period_kind, kPeriodInterim);
  EXPECT_EQ(books.vouchers[1].lines[0].debit_tax, 100 * 10'000);
  EXPECT_EQ(data.current_user, "u1");
  EXPECT_EQ(data.folders[1].path, "/vintor/");
  EXPECT_TRUE(books.saved_texts.empty());
}

// A canonical folder: quoting, Japanese text with 表 and ソ
// (whose second byte is a backslash in CP932), negative and fractional amounts, notes with
// CR LF and an empty notes text.
const Folder kCanonical = {
    {"books.csv", u8"current_user\n\"u,1\"\n"},
    {"users.csv",
     u8"user_id,name,selected_first,selected_data\n\"u,1\",管理者,1,7\nu2,\"\"\"経理\"\"\",0,0\n"},
    {"eras.csv", u8"id,first_day,name\n3,19261225,昭和\n4,19890108,平成\n5,20190501,令和\n"},
    {"folders.csv", u8"type,path\n0,\n1,C:\\表\\ソ\\\n"},
    {"companies.csv",
     u8"data_number,data_id,name,first_day,last_day,cost_schedule,interim,introduction_month,"
     u8"companies_act,tax_included\n"
     u8"7,C007,\"株式会社\"\"表ソ\"\"工業\",20240401,20250331,1,1,4,1,0\n"
     u8"2,C002,\"ソフト表示, 合同会社\",20240101,20241231,0,0,99,0,1\n"},
    {"accounts.csv",
     u8"data_number,key,formal_name,statement_name,character,kind,debit_nature,no_ledger_1,"
     u8"no_ledger_2,formula\n"
     u8"7,1000000,資産合計,資産,0x80800000,2,1,0,0,+0x80800000 -#1310000\n"
     u8"7,1110000,現金,,0x80880100,0,1,1,0,\n"
     u8"7,1310000,普通預金,,0x80880100,3,1,0,1,\n"
     u8"7,1310001,表ソ銀行,\"表,ソ\",0x80880100,1,1,0,0,\n"
     u8"7,1890000,仮払消費税,,0x80880810,0,1,0,0,\n"
     u8"7,2890000,仮受消費税,,0x80484010,0,0,0,0,\n"
     u8"7,4110000,売上高,,0x40888100,0,0,0,0,\n"
     u8"2,1110000,現金,,0x80880100,0,1,0,0,\n"
     u8"2,4110000,売上高,,0x40888100,0,0,0,0,\n"},
    {"openings.csv",
     u8"data_number,key,amount\n7,1110000,-1234.5\n7,4110000,0.0001\n7,2890000,-1234.5001\n"},
    {"vouchers.csv",
     u8"data_number,journal_key,number,date,period_kind\n"
     u8"7,10,1,20240401,0\n"
     u8"7,11,-2,20250331,18\n"
     u8"2,10,1,20241231,0\n"},
    {"journal.csv",
     u8"data_number,journal_key,line,debit_key,debit_amount,debit_tax,credit_key,credit_amount,"
     u8"credit_tax,description\n"
     u8"7,10,1,1110000,1100.25,0,4110000,1000.25,100,\"売上 \"\"A社\"\", 表示\"\n"
     u8"7,10,2,1310001,-0.0001,0,0,0,0,一行目　二行目\n"
     u8"7,10,3,0,0,0,1310001,-0.0001,0,\n"
     u8"7,11,2,1310001,-1000,-100,1110000,-1100,0,戻し\n"
     u8"7,11,1,1110000,99999999999.9999,0,4110000,99999999999.9999,0,\n"
     u8"2,10,1,1110000,5,0,4110000,5,0,\n"},
    {"notes/7/kind-0.txt", u8"注記事項\r\n表示ソ\r\n"},
    {"notes/7/kind-1000.txt", u8""},
    {"notes/2/kind-100.txt", u8"x"},
};

TEST_F(InterchangeTest, CanonicalFolderComesBackByteForByte) {
  os::ScratchFolder source(os_), target(os_);
  ASSERT_TRUE(WriteFolder(os_, source.path(), kCanonical));
  // A notes text that the books do not have must not survive in the target.
  ASSERT_TRUE(WriteFolder(os_, target.path(), {{"notes/7/kind-100.txt", u8"stale"}}));
  BooksData data;
  std::string error;
  ASSERT_TRUE(ReadInterchange(os_, source.path(), &data, &error)) << error;

  ASSERT_EQ(data.companies.size(), 2u);
  const CompanyBooks& books = data.companies[0];
  EXPECT_EQ(books.company.data_number, 7);
  EXPECT_EQ(books.company.name, "株式会社\"表ソ\"工業");
  EXPECT_EQ(books.openings[0].amount, -12'345'000);
  EXPECT_EQ(books.openings[1].amount, 1);
  EXPECT_EQ(books.accounts[3].statement_name, "\x95\x5C,\x83\x5C");
  const JournalLine& first = books.vouchers[0].lines[0];
  EXPECT_EQ(first.debit_amount, 11'002'500);
  EXPECT_EQ(first.credit_tax, 1'000'000);
  EXPECT_EQ(first.description, "売上 \"A社\", 表示");
  EXPECT_EQ(books.vouchers[0].lines[1].description, "一行目　二行目");
  EXPECT_EQ(books.vouchers[1].lines[0].line_number, 2);  // file order, not line order
  EXPECT_EQ(books.saved_texts.at(0), "注記事項\r\n表示ソ\r\n");
  EXPECT_EQ(books.saved_texts.at(1000), "");
  EXPECT_EQ(data.folders[1].path, "C:\\表\\ソ\\");

  ASSERT_TRUE(WriteInterchange(os_, target.path(), data, &error)) << error;
  for (const auto& [name, content] : kCanonical) {
    EXPECT_EQ(ReadBack(target.path(), name), Utf8(content)) << name;
  }
  EXPECT_FALSE(os_.FileExists(interchange::JoinPath(target.path(), "notes/7/kind-100.txt")));
}

// CR LF line ends (as a Windows editor may leave them) read as LF; export writes LF.
TEST_F(InterchangeTest, AcceptsCrLfAndWritesLf) {
  Folder crlf = kMinimal;
  for (auto& [name, content] : crlf) {
    std::u8string converted;
    for (const char8_t c : content)
      converted += c == u8'\n' ? std::u8string(u8"\r\n") : std::u8string(1, c);
    content = converted;
  }
  BooksData data;
  std::string error;
  ASSERT_TRUE(Import(crlf, &data, &error)) << error;
  os::ScratchFolder target(os_);
  ASSERT_TRUE(WriteInterchange(os_, target.path(), data, &error)) << error;
  for (const auto& [name, content] : kMinimal) {
    EXPECT_EQ(ReadBack(target.path(), name), Utf8(content)) << name;
  }
}

struct Refusal {
  std::string file;
  int line;  // replaced line, 0 to append one
  std::u8string text;
  std::string error;
};

// Each case breaks one line of the minimal folder.
const Refusal kRefusals[] = {
    // Form of the tables.
    {"companies.csv", 1, u8"data_number,data_id",
     "companies.csv:1: the header must be "
     "\"data_number,data_id,name,first_day,last_day,cost_schedule,interim,introduction_month,"
     "companies_act,tax_included\""},
    {"journal.csv", 0, u8"1,1,3,1110000,1", "journal.csv:4: 5 fields, 10 expected"},
    {"journal.csv", 3, u8"1,2,1,1310001,1000,100,1110000,1100,0,\"預入",
     "journal.csv:3: a quoted field is never closed"},
    {"journal.csv", 3, u8"1,2,1,1310001,1000,100,1110000,1100,0,預\"入",
     "journal.csv:3: a double quote inside an unquoted field"},
    // A file saved in the Japanese code page (株式会社 in CP932 bytes).
    {"companies.csv", 2, u8"1,C001,\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0,20240401,20250331,1,1,0,1,0",
     "companies.csv: is Shift_JIS (CP932) text, not UTF-8: save it as UTF-8 (\"CSV UTF-8\" in a "
     "spreadsheet, or iconv -f CP932 -t UTF-8)"},
    {"books.csv", 2, u8"u1\nu1", "books.csv:3: only one row may follow the header"},
    // Values.
    {"vouchers.csv", 2, u8"1,x1,1,20240401,0",
     "vouchers.csv:2: journal_key: \"x1\" is not a number"},
    {"vouchers.csv", 2, u8"1,1,+1,20240401,0", "vouchers.csv:2: number: \"+1\" is not a number"},
    {"vouchers.csv", 2, u8"1,1,1,20240231,0",
     "vouchers.csv:2: date: 20240231 is not a calendar date"},
    {"vouchers.csv", 2, u8"1,1,1,2024041,0",
     "vouchers.csv:2: date: \"2024041\" is not a date YYYYMMDD"},
    {"vouchers.csv", 2, u8"1,1,1,20240401,3", "vouchers.csv:2: period_kind: 3 is not 0, 15 or 18"},
    {"companies.csv", 2, u8"1,C001,株式会社表ソ,20240401,20250331,2,1,0,1,0",
     "companies.csv:2: cost_schedule: \"2\" is not 0 or 1"},
    {"companies.csv", 2, u8"1,C001,株式会社表ソ,20240401,20250331,1,1,50,1,0",
     "companies.csv:2: introduction_month: 50 is neither 0, a month 1-12 nor 99"},
    {"companies.csv", 2, u8"1,C001,株式会社表ソ,20240401,20240930,1,1,10,1,0",
     "companies.csv:2: introduction_month: month 10 is not a month of the period "
     "20240401-20240930"},
    {"accounts.csv", 3, u8"1,1110000,現金,,0x8088010,0,1,0,0,",
     "accounts.csv:3: character: \"0x8088010\" is not 0x and eight hexadecimal digits"},
    {"accounts.csv", 3, u8"1,1110000,現金,,0x80880100,4,1,0,0,",
     "accounts.csv:3: kind: 4 is outside 0 to 3"},
    {"accounts.csv", 0, u8"1,100000000,大口,,0x80880100,0,1,0,0,",
     "accounts.csv:10: key: 100000000 has the main code 10000; main codes stay below 10000"},
    {"journal.csv", 2, u8"1,1,1,1110000,100000000000,0,4110000,1100,0,売上",
     "journal.csv:2: debit_amount: 100000000000 is out of range (at most 99999999999.9999 yen "
     "either way)"},
    {"journal.csv", 2, u8"1,1,1,1110000,1100.00001,0,4110000,1100,0,売上",
     "journal.csv:2: debit_amount: 1100.00001 has more than four decimals"},
    {"journal.csv", 2, u8"1,1,1,1110000,1.100,0,4110000,1100,0,売上",
     "journal.csv:2: voucher 1 of company 1 does not balance: debits 1.1, credits 1100"},
    {"journal.csv", 2, u8"1,1,1,1110000,.5,0,4110000,1100,0,売上",
     "journal.csv:2: debit_amount: \".5\" is not an amount"},
    // Text.
    {"companies.csv", 2, u8"1,C001,株式会社é,20240401,20250331,1,1,0,1,0",
     "companies.csv:2: U+00E9 (bytes C3 A9 at offset 19) has no CP932 form"},
    {"accounts.csv", 3, u8"1,1110000,あいうえおかきくけこさしすせそX,,0x80880100,0,1,0,0,",
     "accounts.csv:3: formal_name: \"あいうえおかきくけこさしすせそX\" has 31 bytes in CP932, at "
     "most 30 allowed"},
    {"companies.csv", 2, u8"1,C0000000000000001,株式会社表ソ,20240401,20250331,1,1,0,1,0",
     "companies.csv:2: data_id: \"C0000000000000001\" has 17 bytes in CP932, at most 15 allowed"},
    {"accounts.csv", 3, u8"1,1110000,,,0x80880100,0,1,0,0,",
     "accounts.csv:3: formal_name: must not be empty"},
    // Companies.
    {"companies.csv", 0, u8"1,C002,別会社,20240401,20250331,1,1,0,1,0",
     "companies.csv:3: duplicate data_number 1"},
    {"companies.csv", 0, u8"2,C001,別会社,20240401,20250331,1,1,0,1,0",
     "companies.csv:3: duplicate data_id \"C001\""},
    {"companies.csv", 2, u8"1,C001,株式会社表ソ,20240401,20250401,1,1,0,1,0",
     "companies.csv:2: the period 20240401-20250401 is longer than a year"},
    {"companies.csv", 2, u8"1,C001,株式会社表ソ,20240401,20240331,1,1,0,1,0",
     "companies.csv:2: last_day 20240331 is before first_day 20240401"},
    // Accounts.
    {"accounts.csv", 0, u8"2,1120000,小口現金,,0x80880100,0,1,0,0,",
     "accounts.csv:10: unknown company 2"},
    {"accounts.csv", 0, u8"1,1110000,現金,,0x80880100,0,1,0,0,",
     "accounts.csv:10: duplicate key 1110000 in company 1"},
    {"accounts.csv", 0, u8"1,1120001,小口,,0x80880100,1,1,0,0,",
     "accounts.csv:10: sub-account 1120001 has no main account 1120000 in company 1"},
    {"accounts.csv", 0, u8"1,1000001,小口,,0x80880100,1,1,0,0,",
     "accounts.csv:10: the main account 1000000 of sub-account 1000001 is a total account"},
    {"accounts.csv", 0, u8"1,1120000,小口,,0x80880100,1,1,0,0,",
     "accounts.csv:10: sub-account 1120000 has no sub-account number (key % 10000 is 0)"},
    {"accounts.csv", 0, u8"1,1120003,小口,,0x80880100,0,1,0,0,",
     "accounts.csv:10: account 1120003 has a sub-account number but is not of kind 1"},
    {"accounts.csv", 8, u8"1,4000000,売上合計,,0x40888000,2,0,0,0,+#4120000",
     "accounts.csv:8: formula: unknown account 4120000 in company 1"},
    {"accounts.csv", 8, u8"1,4000000,売上合計,,0x40888000,2,0,0,0,+#1000000",
     "accounts.csv:8: formula: account 1000000 is of kind 2; a formula names accounts of kind 0 or "
     "3"},
    {"accounts.csv", 8, u8"1,4000000,売上合計,,0x40888000,2,0,0,0,+0x4088800",
     "accounts.csv:8: formula: term \"+0x4088800\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
    {"accounts.csv", 8, u8"1,4000000,売上合計,,0x40888000,2,0,0,0,",
     "accounts.csv:8: formula: a total account needs one"},
    {"accounts.csv", 9, u8"1,4110000,売上高,,0x40888100,0,0,0,0,+#1110000",
     "accounts.csv:9: formula: only a total account (kind 2) or an account of kind 3 has a "
     "formula"},
    {"accounts.csv", 5, u8"1,1310001,表ソ銀行,,0x80880100,1,1,0,0,+#1110000",
     "accounts.csv:5: formula: only a total account (kind 2) or an account of kind 3 has a "
     "formula"},
    // An account of kind 3 with a formula: its terms name plain accounts only.
    {"accounts.csv", 7, u8"1,3100000,資本金,,0x80280100,3,0,0,0,+0x4088800",
     "accounts.csv:7: formula: term \"+0x4088800\" is neither +/-0xMMMMMMMM nor +/-#KEY"},
    {"accounts.csv", 7, u8"1,3100000,資本金,,0x80280100,3,0,0,0,+#4000000",
     "accounts.csv:7: formula: account 4000000 is of kind 2; a formula names accounts of kind 0 "
     "or 3"},
    {"accounts.csv", 7, u8"1,3100000,資本金,,0x80280100,3,0,0,0,+#3100000",
     "accounts.csv:7: formula: account 3100000 has a formula of its own; the formula of an "
     "account of kind 3 names accounts without one"},
    {"accounts.csv", 0, u8"1,3300000,剰余金,,0x80280200,3,0,0,0,+#9999999",
     "accounts.csv:10: formula: unknown account 9999999 in company 1"},
    // Openings.
    {"openings.csv", 0, u8"1,5110000,1", "openings.csv:4: unknown account 5110000 in company 1"},
    {"openings.csv", 0, u8"1,4000000,1",
     "openings.csv:4: opening balance of total account 4000000 in company 1"},
    {"openings.csv", 0, u8"1,1110000,1",
     "openings.csv:4: duplicate opening balance of account 1110000 in company 1"},
    // Vouchers.
    {"vouchers.csv", 2, u8"1,1,1,20250401,0",
     "vouchers.csv:2: date 20250401 is outside the period 20240401-20250331 of company 1"},
    {"vouchers.csv", 0, u8"1,2,3,20240501,0",
     "vouchers.csv:4: duplicate journal_key 2 in company 1"},
    {"vouchers.csv", 0, u8"1,3,3,20240501,0",
     "vouchers.csv:4: voucher 3 of company 1 has no lines"},
    // Journal lines.
    {"journal.csv", 2, u8"1,1,1,5110000,1100,0,4110000,1100,0,売上",
     "journal.csv:2: unknown account 5110000 in company 1"},
    {"journal.csv", 2, u8"1,1,1,1110000,1100,0,4000000,1100,0,売上",
     "journal.csv:2: posting to total account 4000000 in company 1"},
    {"journal.csv", 0, u8"1,9,1,1110000,1,0,4110000,1,0,",
     "journal.csv:4: unknown voucher 9 in company 1"},
    {"journal.csv", 0, u8"1,2,1,1110000,1,0,4110000,1,0,",
     "journal.csv:4: duplicate line 1 of voucher 2 in company 1"},
    {"journal.csv", 0, u8"1,2,2,0,0,0,0,0,0,",
     "journal.csv:4: the line has neither a debit nor a credit account"},
    {"journal.csv", 0, u8"1,2,2,0,1,0,4110000,0,0,",
     "journal.csv:4: a debit amount without a debit_key"},
    {"journal.csv", 2, u8"1,1,1,1110000,1100,0,4110000,1000,0,売上",
     "journal.csv:2: voucher 1 of company 1 does not balance: debits 1100, credits 1000"},
    {"journal.csv", 2, u8"1,1,1,1110000,1100,0,4110000,1000,100,売上",
     "journal.csv:2: credit_tax needs an account with the character 0x80484010 in company 1"},
    {"accounts.csv", 6, u8"1,1890000,仮払金,,0x80880800,0,1,0,0,",
     "journal.csv:3: debit_tax needs an account with the character 0x80880810 in company 1"},
    {"journal.csv", 2,
     u8"1,1,1,1110000,1100,0,4110000,1100,0,"
     u8"売上売上売上売上売上売上売上売上売上売上売上売上売上売上売上売",
     "journal.csv:2: description: \"売上売上売上売上売上売上売上売上売上売上...\" has 62 bytes in "
     "CP932, at most 60 allowed"},
    // Users, books, eras, folders.
    {"users.csv", 0, u8"u1,別人,0,0", "users.csv:3: duplicate user_id \"u1\""},
    {"users.csv", 2, u8"u1,管理者,1,2", "users.csv:2: unknown company 2"},
    {"books.csv", 2, u8"u9", "books.csv:2: unknown user \"u9\""},
    {"eras.csv", 0, u8"1,20300101,次", "eras.csv:4: duplicate id 1"},
    {"eras.csv", 3, u8"2,19890107,令和",
     "eras.csv:3: first_day 19890107 does not follow the previous era's 19890108"},
    {"folders.csv", 0, u8"1,/other/", "folders.csv:4: duplicate type 1"},
    {"folders.csv", 3, u8"1,/vintor", "folders.csv:3: path: must end with a separator"},
    // 表 ends in the byte of a backslash, which is no separator there.
    {"folders.csv", 3, u8"1,C:\\表", "folders.csv:3: path: must end with a separator"},
};

// Text fields hold no control character, not even a line break inside quotes: one case
// per text field of every table.
const Refusal kControlCharacters[] = {
    {"companies.csv", 2, u8"1,C0\t01,株式会社表ソ,20240401,20250331,1,1,0,1,0",
     "companies.csv:2: data_id: holds the control character U+0009 at byte 3"},
    {"companies.csv", 2, u8"1,C001,\"株式\n会社\",20240401,20250331,1,1,0,1,0",
     "companies.csv:2: name: holds the control character U+000A at byte 5"},
    {"accounts.csv", 3, u8"1,1110000,\"現\r\n金\",,0x80880100,0,1,0,0,",
     "accounts.csv:3: formal_name: holds the control character U+000D at byte 3"},
    {"accounts.csv", 3, u8"1,1110000,現金,現\u007F,0x80880100,0,1,0,0,",
     "accounts.csv:3: statement_name: holds the control character U+007F at byte 3"},
    {"accounts.csv", 8, u8"1,4000000,売上合計,,0x40888000,2,0,0,0,+#4110000\t",
     "accounts.csv:8: formula: holds the control character U+0009 at byte 10"},
    {"journal.csv", 2, u8"1,1,1,1110000,1100,0,4110000,1100,0,\"売\n上\"",
     "journal.csv:2: description: holds the control character U+000A at byte 3"},
    {"users.csv", 2, u8"u\u00011,管理者,1,1",
     "users.csv:2: user_id: holds the control character U+0001 at byte 2"},
    {"users.csv", 2, u8"u1,管理\u001F者,1,1",
     "users.csv:2: name: holds the control character U+001F at byte 5"},
    {"books.csv", 2, u8"u1\t",
     "books.csv:2: current_user: holds the control character U+0009 at byte 3"},
    {"eras.csv", 2, u8"1,19890108,平\t成",
     "eras.csv:2: name: holds the control character U+0009 at byte 3"},
    {"folders.csv", 3, u8"1,/vin\ttor/",
     "folders.csv:3: path: holds the control character U+0009 at byte 5"},
};

// Breaks one line of the minimal folder per case; each is refused with its message and
// leaves the caller's data untouched.
void ExpectRefusals(os::Os& os, std::span<const Refusal> refusals) {
  os::ScratchFolder folder(os);
  ASSERT_TRUE(WriteFolder(os, folder.path(), kMinimal));
  BooksData data;
  std::string error;
  ASSERT_TRUE(ReadInterchange(os, folder.path(), &data, &error)) << error;
  for (const Refusal& refusal : refusals) {
    const std::string path = interchange::JoinPath(folder.path(), refusal.file);
    const Folder broken = WithLine(kMinimal, refusal.file, refusal.line, refusal.text);
    ASSERT_TRUE(WriteFile(os, path, broken.at(refusal.file)));
    BooksData untouched;
    untouched.current_user = "before";
    error.clear();
    EXPECT_FALSE(ReadInterchange(os, folder.path(), &untouched, &error)) << refusal.error;
    EXPECT_EQ(error, refusal.error);
    EXPECT_EQ(untouched.current_user, "before") << refusal.error;
    // Keeping the journal compactly changes nothing of what is refused and how.
    CompactJournal journal;
    std::string compact_error;
    EXPECT_FALSE(ReadInterchange(os, folder.path(), &untouched, &journal, &compact_error));
    EXPECT_EQ(compact_error, refusal.error);
    EXPECT_EQ(untouched.current_user, "before") << refusal.error;
    ASSERT_TRUE(WriteFile(os, path, kMinimal.at(refusal.file)));
  }
}

// A company's openings balance on their natural sides (a sub-account's on its own side),
// checked once the table is read and reported at the company's last opening row.
const Refusal kUnbalancedOpenings[] = {
    {"openings.csv", 3, u8"1,3100000,999",
     "openings.csv:3: the openings of company 1 do not balance: debits 1000, credits 999"},
    {"openings.csv", 3, u8"1,3100000,-1000",
     "openings.csv:3: the openings of company 1 do not balance: debits 1000, credits -1000"},
    {"openings.csv", 0, u8"1,1310001,0.5",
     "openings.csv:4: the openings of company 1 do not balance: debits 1000.5, credits 1000"},
};

TEST_F(InterchangeTest, RefusesBadInputNamingFileAndLine) {
  ExpectRefusals(os_, kRefusals);
}

TEST_F(InterchangeTest, RefusesOpeningsThatDoNotBalance) {
  ExpectRefusals(os_, kUnbalancedOpenings);
}

TEST_F(InterchangeTest, RefusesControlCharactersInEveryTextField) {
  ExpectRefusals(os_, kControlCharacters);
}

// A journal of megabytes is converted and read a piece at a time: faults far into it are
// named by their own lines, also after a text that spans lines, and a character CP932
// lacks still refuses the whole table before any of its rows.
TEST_F(InterchangeTest, NamesTheLinesOfFaultsFarIntoALargeJournal) {
  os::ScratchFolder folder(os_);
  std::string error;
  ASSERT_TRUE(WriteInterchange(os_, folder.path(), GenerateBooks(40, 40000, 3, "/s/"), &error))
      << error;
  const std::string path = interchange::JoinPath(folder.path(), interchange::kJournalFile);
  std::string original;
  ASSERT_TRUE(os_.ReadWholeFile(path, &original));
  ASSERT_GT(original.size(), std::size_t{2} << 20);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < original.size();) {
    const std::size_t end = original.find('\n', start);
    lines.push_back(original.substr(start, end - start));
    start = end + 1;
  }
  // Line n (from 1) with its field k (from 0) replaced.
  const auto with_field = [&](int n, int k, const std::string& value) {
    std::string line = lines[n - 1];
    std::size_t start = 0;
    for (int field = 0; field < k; ++field) start = line.find(',', start) + 1;
    const std::size_t end = std::min(line.find(',', start), line.size());
    return line.replace(start, end - start, value);
  };
  struct Case {
    std::vector<std::pair<int, std::string>> changed_lines;
    std::string expected;  // the start of the message
  };
  const Case cases[] = {
      {{{30000, with_field(30000, 3, "x")}}, "journal.csv:30000: debit_key: "},
      {{{12, with_field(12, 9, "\"a\nb\"")}, {30000, with_field(30000, 3, "x")}},
       "journal.csv:12: description: "},
      {{{35000, with_field(35000, 9, "\xF0\x9F\x98\x80")}, {30000, with_field(30000, 3, "x")}},
       "journal.csv:35000: "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> changed = lines;
    for (const auto& [n, text] : c.changed_lines) changed[n - 1] = text;
    std::string text;
    for (const std::string& line : changed) text += line + "\n";
    const std::unique_ptr<os::WritableFile> file = os_.OpenForWriting(path);
    ASSERT_TRUE(file && file->Append(text) && file->Close());
    for (const bool compact : {false, true}) {
      BooksData data;
      CompactJournal journal;
      error.clear();
      EXPECT_FALSE(compact ? ReadInterchange(os_, folder.path(), &data, &journal, &error)
                           : ReadInterchange(os_, folder.path(), &data, &error));
      EXPECT_EQ(error.substr(0, c.expected.size()), c.expected) << error;
      // The fault after the line that spans two is named by its line in the file.
      if (c.changed_lines[0].first == 12) {
        EXPECT_NE(error.find("\njournal.csv:30001: debit_key: "), std::string::npos) << error;
      }
      // Text without a CP932 form is the only fault named.
      if (c.changed_lines[0].first == 35000) {
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
      }
    }
  }
}

// Every faulty row of a table is reported, so a spreadsheet is mended in one go.
TEST_F(InterchangeTest, ReportsEveryFaultyRowOfATable) {
  Folder folder = WithLine(kMinimal, "vouchers.csv", 2, u8"1,x1,1,20240401,0");
  folder = WithLine(folder, "vouchers.csv", 3, u8"1,2,1,20240231,0");
  BooksData data;
  std::string error;
  EXPECT_FALSE(Import(folder, &data, &error));
  EXPECT_EQ(error,
            "vouchers.csv:2: journal_key: \"x1\" is not a number\n"
            "vouchers.csv:3: date: 20240231 is not a calendar date");
}

TEST_F(InterchangeTest, AcceptsAByteOrderMarkAsSpreadsheetsWriteIt) {
  Folder folder = kMinimal;
  folder["books.csv"] = u8"\uFEFF" + folder["books.csv"];
  BooksData data;
  std::string error;
  EXPECT_TRUE(Import(folder, &data, &error)) << error;
}

TEST_F(InterchangeTest, RefusesAFolderWithoutATable) {
  Folder folder = kMinimal;
  folder.erase("eras.csv");
  BooksData data;
  std::string error;
  EXPECT_FALSE(Import(folder, &data, &error));
  EXPECT_EQ(error, "eras.csv: is missing");
}

TEST_F(InterchangeTest, ReportsAFileThatCannotBeWritten) {
  BooksData data;
  std::string error;
  ASSERT_TRUE(Import(kMinimal, &data, &error)) << error;
  os::ScratchFolder target(os_);
  os::FaultInjectingOs failing(os_);
  failing.FailCommit(interchange::JoinPath(target.path(), "journal.csv"));
  EXPECT_FALSE(WriteInterchange(failing, target.path(), data, &error));
  EXPECT_EQ(error, "journal.csv: cannot be written");
}

}  // namespace
}  // namespace vintor::books
