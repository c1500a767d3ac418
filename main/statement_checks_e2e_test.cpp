// The checks across the statements, through the real programs: each company is the sample's
// interchange folder with one change that breaks one check (or a generated company that
// itemises no net income in its equity statement), imported with tavrel and exported with
// the ledger. A failed check is a warning naming the check and the difference; the report
// is written all the same, and --strict ends such a run with 3.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "main/program_runner.h"
#include "os/scratch_folder.h"
#include "text/encoding.h"

namespace vintor::main::testing {
namespace {

const std::string kBalanceSheet = Utf8("貸借対照表: 資産 = 負債 + 純資産");
const std::string kNetIncome = Utf8("当期純利益: 損益計算書 = 株主資本等変動計算書");
const std::string kCost = Utf8("当期製品製造原価: 製造原価報告書 = 損益計算書の売上原価の内訳");
const std::string kLedger = Utf8("総勘定元帳: 各科目の最後の残高 = 期末残高");
const std::string kWarning = Utf8("財務諸表の間で合わない金額があります。");

void Append(const std::string& path, const std::string& line) {
  std::ofstream(path, std::ios::app | std::ios::binary) << line << "\n";
}
void Replace(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = ReadFileBytes(path);
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from << " is not in " << path;
  text.replace(at, from.size(), to);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct Case {
  const char* name;
  // Changes the sample's interchange folder; null: a generated company instead.
  std::function<void(const std::string& folder)> change;
  const std::string* failing;  // the check that fails; null: none
  const char* detail;          // in the warning
};

TEST(StatementChecksTest, EachCheckWarnsOnTheCompanyBuiltToFailIt) {
  os::ScratchFolder scratch(os::SystemOs());
  const std::string sample_books = scratch.PathOf("sample.db");
  const std::string sample = scratch.PathOf("sample");
  ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", sample_books, "sample"}).exit_status, 0);
  ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", sample_books, "export", sample}).exit_status,
            0);

  const Case cases[] = {
      {"the sample as it is", [](const std::string&) {}, nullptr, ""},
      // 1,000 yen more cash at the start, against the transfer account that the statements
      // leave out: the books balance, the balance sheet does not.
      {"an opening balance against an account left out",
       [](const std::string& f) {
         Replace(f + "/openings.csv", "\n1,1110000,185320\n", "\n1,1110000,186320\n");
         Append(f + "/openings.csv", "1,9010000,-1000");
       },
       &kBalanceSheet, "差 1,000 円"},
      // Cash against the profit transfer: the statements count it, the cash ledger does not
      // list it.
      {"a line against the profit transfer",
       [](const std::string& f) {
         Append(f + "/journal.csv", "1,999,1,1110000,1000,0,9020000,1000,0,test");
         Append(f + "/vouchers.csv", "1,999,999,20250415,0");
       },
       &kLedger, "差 -1,000 円"},
      // The total cost of sales without the manufacturing accounts it should add.
      {"a cost of sales that leaves out what was manufactured",
       [](const std::string& f) {
         Replace(f + "/accounts.csv", ",+0x40884000 +0x20000000\n", ",+0x40884000\n");
       },
       &kCost, "差 46,346,945 円"},
      {"a generated company without retained earnings", nullptr, &kNetIncome,
       "株主資本等変動計算書の当期純利益 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string books = scratch.PathOf(std::string(c.name) + ".db");
    if (c.change) {
      const std::string folder = scratch.PathOf(c.name);
      std::filesystem::copy(sample, folder, std::filesystem::copy_options::recursive);
      c.change(folder);
      const ProgramRun import =
          RunProgram({VINTOR_TAVREL_PATH, "--books", books, "import", folder});
      ASSERT_EQ(import.exit_status, 0) << import.errors;
    } else {
      ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", books, "generate", "--accounts", "40",
                            "--lines", "300", "--seed", "1"})
                    .exit_status,
                0);
    }
    for (const bool strict : {false, true}) {
      const std::string out = scratch.PathOf(std::string(c.name) + ".xml");
      std::vector<std::string> arguments = {
          VINTOR_OAK_PATH, "--books", books,      "--from", "4", "--to", "3",
          "--equity",      "1",       "--ledger", "--out",  out, "--yes"};
      if (strict) arguments.push_back("--strict");
      const ProgramRun run = RunProgram(arguments);
      EXPECT_EQ(::access(out.c_str(), F_OK), 0) << "the report is written either way";
      if (c.failing == nullptr) {
        EXPECT_EQ(run.errors.find(kWarning), std::string::npos) << run.errors;
        EXPECT_EQ(run.exit_status, strict ? 3 : 0) << "the sample warns of its notes";
        continue;
      }
      EXPECT_EQ(run.exit_status, strict ? 3 : 0) << run.errors;
      const std::size_t warning = run.errors.find(kWarning);
      ASSERT_NE(warning, std::string::npos) << run.errors;
      const std::string told = run.errors.substr(warning);
      for (const std::string* check : {&kBalanceSheet, &kNetIncome, &kCost, &kLedger}) {
        EXPECT_EQ(told.find(*check) != std::string::npos, check == c.failing) << *check << told;
      }
      EXPECT_NE(told.find(Utf8(c.detail)), std::string::npos) << told;
    }
  }
}

}  // namespace
}  // namespace vintor::main::testing
