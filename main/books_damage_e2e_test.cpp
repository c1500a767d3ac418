// Damaged books never give a report: whatever is wrong with the books file (a table
// dropped, a text that is not UTF-8 or has no CP932 form, a page of zeros, totals out of
// step with the journal, a FIFO in its place), the exporter ends as failed (status 2),
// writes nothing and names the file and what is wrong. tavrel refuses such books too,
// and interchange folders whose tables are not plain files, without hanging or aborting.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "main/program_runner.h"
#include "os/scratch_folder.h"
#include "text/encoding.h"

namespace vintor::main::testing {
namespace {

// What the exporter says before it fails (CP932, as every text of the program).
constexpr char kDamaged[] = "会計データのファイルが壊れています。";
constexpr char kNotBooks[] = "会計データのファイルではありません。";

class BooksDamageTest : public ::testing::Test {
 protected:
  void MakeSampleBooks() {
    ::unlink(books().c_str());
    const ProgramRun sample = RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "sample"});
    ASSERT_EQ(sample.exit_status, 0) << sample.errors;
  }

  void Change(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(books().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db) << "\n"
        << sql;
    sqlite3_close(db);
  }

  // Overwrites the page in the middle of the file with zeros, as a failing disk would.
  void ZeroAPage() {
    std::fstream file(books(), std::ios::in | std::ios::out | std::ios::binary);
    unsigned char header[18] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const long page_size = header[16] << 8 | header[17];
    file.seekg(0, std::ios::end);
    const long pages = static_cast<long>(file.tellg()) / page_size;
    file.seekp(pages / 2 * page_size);
    file.write(std::string(static_cast<std::size_t>(page_size), '\0').data(), page_size);
  }

  void PutFifo(const std::string& path) {
    ::unlink(path.c_str());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  }

  ProgramRun Export() {
    return RunProgram({VINTOR_OAK_PATH, "--books", books(), "--from", "4", "--to", "3", "--equity",
                       "1", "--ledger", "--out", out(), "--yes"});
  }

  std::string books() const { return folder_.PathOf("books.db"); }
  std::string out() const { return folder_.PathOf("out.xml"); }
  std::string interchange() const { return folder_.PathOf("exported"); }

  os::ScratchFolder folder_{os::SystemOs()};
};

// One row of the first journal line, and of the first stored total, by their keys.
constexpr char kFirstLine[] = " WHERE id = (SELECT MIN(id) FROM journal_lines)";
constexpr char kFirstTotal[] =
    " WHERE (company_id, key, slot) = (SELECT company_id, key, slot FROM monthly_totals"
    " WHERE company_id = 1 AND slot > 0 LIMIT 1)";

TEST_F(BooksDamageTest, TheExporterRefusesDamagedBooks) {
  struct Case {
    const char* what;
    std::string sql;  // run on the sample books, unless empty
    bool zero_page = false;
    bool fifo = false;
    const char* said = kDamaged;
    const char* named = "";  // what the message names besides the file
  } const cases[] = {
      {"a table dropped", "DROP TABLE monthly_totals", false, false, kDamaged,
       "table monthly_totals is missing"},
      {"an account name that is not UTF-8",
       "UPDATE accounts SET formal_name = CAST(X'E381FF' AS TEXT)"
       " WHERE company_id = 1 AND seq = 3",
       false, false, kDamaged, "the column formal_name holds a text that does not convert"},
      {"a ledger description CP932 cannot hold",
       std::string("UPDATE journal_lines SET description = '\xF0\x9F\x8D\xA3'") + kFirstLine, false,
       false, kDamaged, "no CP932 form"},
      {"a text where an amount belongs",
       std::string("UPDATE journal_lines SET debit_amount = 'ten'") + kFirstLine, false, false,
       kDamaged, "debit_amount"},
      {"a page of zeros", "", true, false, kDamaged, ""},
      {"a total of INT64_MAX",
       std::string("UPDATE monthly_totals SET debit_2 = 9223372036854775807") + kFirstTotal, false,
       false, kDamaged, "not the ones the file was written with"},
      {"a journal amount of INT64_MAX, on both sides",
       std::string("UPDATE journal_lines SET debit_amount = 9223372036854775807,"
                   " credit_amount = 9223372036854775807") +
           kFirstLine,
       false, false, kDamaged, "has an amount out of range"},
      {"a total out of step with the journal",
       std::string("UPDATE monthly_totals SET debit_1 = debit_1 + 10000") + kFirstTotal, false,
       false, kDamaged, "not the ones the file was written with"},
      {"a total out of step, in a file whose totals carry no digest",
       std::string("DELETE FROM settings WHERE name LIKE 'monthly_totals_digest %';"
                   " UPDATE monthly_totals SET debit_1 = debit_1 + 10000") +
           kFirstTotal,
       false, false, kDamaged, "disagree with the journal"},
      {"a row of totals removed, with its digest",
       std::string("DELETE FROM monthly_totals") + kFirstTotal, false, false, kDamaged,
       "not the ones the file was written with"},
      {"a journal line changed under its totals",
       std::string("UPDATE journal_lines SET debit_amount = debit_amount + 10000,"
                   " credit_amount = credit_amount + 10000") +
           kFirstLine,
       false, false, kDamaged, "disagree with the journal"},
      {"a ledger line showing another account",
       std::string("UPDATE journal_lines SET shown_debit_key = shown_debit_key + 10000") +
           kFirstLine,
       false, false, kDamaged, "(table journal_lines)"},
      {"a FIFO in place of the file", "", false, true, kNotBooks, "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeSampleBooks();
    if (!c.sql.empty()) Change(c.sql);
    if (c.zero_page) ZeroAPage();
    if (c.fifo) PutFifo(books());
    ::unlink(out().c_str());

    const ProgramRun run = Export();
    EXPECT_EQ(run.exit_status, 2) << run.errors;
    EXPECT_NE(run.errors.find(Utf8(c.said)), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(books()), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(c.named), std::string::npos) << run.errors;
    EXPECT_NE(::access(out().c_str(), F_OK), 0) << "a report was written";
  }
}

// Sound books whose texts hold characters a strict Shift_JIS reader refuses: the report is
// written with them as they are, a warning lists where they are, and --strict says so with
// exit status 3.
TEST_F(BooksDamageTest, CharactersOutsideJisX0208AreListedAndStrictEndsWithThree) {
  MakeSampleBooks();
  // ① (UTF-8 E2 91 A0) after an account's name, 髙 (E9 AB 99) as a ledger description.
  Change(std::string("UPDATE accounts SET formal_name = formal_name || '\xE2\x91\xA0'"
                     " WHERE company_id = 1 AND seq = 3;"
                     " UPDATE journal_lines SET description = '\xE9\xAB\x99'") +
         kFirstLine);
  for (const bool strict : {false, true}) {
    SCOPED_TRACE(strict ? "--strict" : "without --strict");
    ::unlink(out().c_str());
    std::vector<std::string> arguments = {
        VINTOR_OAK_PATH, "--books", books(),    "--from", "4",   "--to", "3",
        "--equity",      "1",       "--ledger", "--out",  out(), "--yes"};
    if (strict) arguments.push_back("--strict");
    const ProgramRun run = RunProgram(arguments);
    EXPECT_EQ(run.exit_status, strict ? 3 : 0) << run.errors;
    EXPECT_NE(run.errors.find(Utf8("の正式名称: ") + "\xE2\x91\xA0" + Utf8("（NEC特殊文字）")),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find(Utf8("の元帳、伝票番号 ")), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(Utf8("の摘要: ") + "\xE9\xAB\x99"), std::string::npos) << run.errors;
    EXPECT_EQ(::access(out().c_str(), F_OK), 0) << "the report is written all the same";
  }
}

TEST_F(BooksDamageTest, TavrelRefusesDamagedBooksAndTablesThatAreNoFiles) {
  struct Case {
    const char* what;
    std::vector<std::string> arguments;  // after --books
    std::string sql;                     // run on the sample books, unless empty
    const char* table = nullptr;         // of the exported folder, replaced by...
    const char* replacement = nullptr;   // ..."fifo" or a file it links to
    const char* said = "";
  } const cases[] = {
      {"list with a journal position of 2^40",
       {"list"},
       "UPDATE journal_lines SET position = 1099511627776 WHERE id = 1",
       nullptr,
       nullptr,
       "has the position 1099511627776"},
      {"export with a journal position of 2^40",
       {"export", folder_.PathOf("out-folder")},
       "UPDATE journal_lines SET position = 1099511627776 WHERE id = 1",
       nullptr,
       nullptr,
       "has the position 1099511627776"},
      {"list with a table dropped",
       {"list"},
       "DROP TABLE postings",
       nullptr,
       nullptr,
       "table postings is missing"},
      {"import of /dev/zero as the journal",
       {"import", interchange()},
       "",
       "journal.csv",
       "/dev/zero",
       "journal.csv: is not a regular file"},
      {"import of a FIFO as the accounts",
       {"import", interchange()},
       "",
       "accounts.csv",
       "fifo",
       "accounts.csv: is not a regular file"},
      {"check of a folder as the companies",
       {"check", interchange()},
       "",
       "companies.csv",
       "/tmp",
       "companies.csv: is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeSampleBooks();
    ASSERT_EQ(
        RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "export", interchange()}).exit_status,
        0);
    if (!c.sql.empty()) Change(c.sql);
    if (c.table != nullptr) {
      const std::string table = interchange() + "/" + c.table;
      ::unlink(table.c_str());
      if (std::string(c.replacement) == "fifo") {
        PutFifo(table);
      } else {
        ASSERT_EQ(::symlink(c.replacement, table.c_str()), 0);
      }
    }
    std::vector<std::string> argv = {VINTOR_TAVREL_PATH, "--books", books()};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.exit_status, 1) << run.errors;
    EXPECT_NE(run.errors.find(c.said), std::string::npos) << run.errors;
    // The next export must not write into what replaced the table.
    if (c.table != nullptr) ::unlink((interchange() + "/" + c.table).c_str());
  }
  // A FIFO as the books file.
  PutFifo(books());
  const ProgramRun list = RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "list"});
  EXPECT_EQ(list.exit_status, 1);
  EXPECT_NE(list.errors.find("not a regular file"), std::string::npos) << list.errors;
}

}  // namespace
}  // namespace vintor::main::testing
