#include "books/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "books/interchange.h"
#include "books/interchange_tables.h"
#include "os/scratch_folder.h"

namespace vintor::books {
namespace {

constexpr const char* kTables[] = {"books.csv",    "users.csv",     "eras.csv",
                                   "folders.csv",  "companies.csv", "accounts.csv",
                                   "openings.csv", "vouchers.csv",  "journal.csv"};

// The books in their canonical interchange form, one text per table: two books are the
// same exactly when these are.
std::vector<std::string> Canonical(const BooksData& data) {
  os::Os& os = os::SystemOs();
  os::ScratchFolder folder(os);
  std::string error;
  EXPECT_TRUE(WriteInterchange(os, folder.path(), data, &error)) << error;
  std::vector<std::string> tables;
  for (const char* table : kTables) {
    std::string content;
    EXPECT_TRUE(os.ReadWholeFile(interchange::JoinPath(folder.path(), table), &content));
    tables.push_back(content);
  }
  return tables;
}

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

TEST(GeneratorTest, SameSeedSameBooksOnEveryPlatform) {
  const BooksData first = GenerateBooks(40, 500, 7, "/settings/");
  const std::vector<std::string> tables = Canonical(first);
  EXPECT_EQ(Canonical(GenerateBooks(40, 500, 7, "/settings/")), tables);
  EXPECT_NE(Canonical(GenerateBooks(40, 500, 8, "/settings/"))[8], tables[8]);
  // Pinned, so that a change of the generator or a platform difference shows: the Windows
  // build must produce these very bytes too.
  EXPECT_EQ(Fnv1a(tables[5]), 9574492718868016208u) << "accounts.csv";
  EXPECT_EQ(Fnv1a(tables[8]), 12598886540535171729u) << "journal.csv";
}

// Whatever the size, the result passes every check of the import.
TEST(GeneratorTest, PassesTheImportChecks) {
  struct Case {
    int accounts, lines;
  };
  const Case cases[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 4}, {5, 37}, {120, 3000}, {15'000, 20}};
  os::Os& os = os::SystemOs();
  for (const Case& c : cases) {
    const BooksData data = GenerateBooks(c.accounts, c.lines, 99, "");
    os::ScratchFolder folder(os);
    std::string error;
    ASSERT_TRUE(WriteInterchange(os, folder.path(), data, &error)) << error;
    BooksData read;
    EXPECT_TRUE(ReadInterchange(os, folder.path(), &read, &error))
        << c.accounts << " accounts, " << c.lines << " lines: " << error;
  }
}

// However large the chart, main codes stay below 10 000: the accounts beyond what those
// codes hold become sub-accounts.
TEST(GeneratorTest, MainCodesStayBelowTenThousand) {
  struct Case {
    int accounts;
    bool all_mains_used;  // the chart needs (nearly) every main code
  };
  const Case cases[] = {{3000, false}, {12'500, true}, {kMaxGeneratedAccounts, true}};
  for (const Case& c : cases) {
    const BooksData data = GenerateBooks(c.accounts, 0, 5, "");
    std::int32_t largest_code = 0;
    int accounts = 0;
    for (const Account& account : data.companies[0].accounts) {
      largest_code = std::max(largest_code, account.key / 10'000);
      accounts += account.kind != kKindTotal;
    }
    EXPECT_LT(largest_code, 10'000) << c.accounts;
    EXPECT_EQ(largest_code > 9'900, c.all_mains_used) << c.accounts << ": " << largest_code;
    EXPECT_EQ(accounts, c.accounts + 3) << c.accounts;
  }
}

TEST(GeneratorTest, ProducesWhatWasAskedFor) {
  const int kAccounts = 300, kLines = 6000;
  const BooksData data = GenerateBooks(kAccounts, kLines, 2024, "/home/u/vintor-settings/");
  ASSERT_EQ(data.companies.size(), 1u);
  const CompanyBooks& books = data.companies[0];
  EXPECT_TRUE(books.company.has_cost_schedule);
  EXPECT_TRUE(books.company.interim_settlement);
  EXPECT_EQ(data.users[0].user_id, data.current_user);
  EXPECT_EQ(data.users[0].selected_data, books.company.data_number);
  EXPECT_EQ(data.folders[1].type, 1);
  EXPECT_EQ(data.folders[1].path, "/home/u/vintor-settings/");
  ASSERT_EQ(data.eras.size(), 3u);
  EXPECT_EQ(data.eras[2].first_day, 20190501);

  // The chart: one total per section the statements look up, the tax accounts, and the
  // requested accounts, about a fifth of them sub-accounts.
  std::set<std::uint32_t> total_characters;
  int posting = 0, subs = 0;
  for (const Account& account : books.accounts) {
    if (account.kind == kKindTotal) total_characters.insert(account.character);
    posting += account.kind != kKindTotal;
    subs += account.kind == kKindSubAccount;
  }
  for (const std::uint32_t character :
       {0x80800000u, 0x80880000u, 0x80840000u, 0x80848000u, 0x80844000u, 0x80842000u, 0x80820000u,
        0x80400000u, 0x80480000u, 0x80440000u, 0x80200000u, 0x40888000u, 0x40884000u, 0x40882000u,
        0x40848000u, 0x40844000u, 0x40480000u, 0x40440000u, 0x40880008u, 0x40880000u, 0x40800000u,
        0x40200080u, 0x40200040u, 0x20800000u, 0x20400000u, 0x20040000u, 0x20200000u, 0x20080000u,
        0x20108000u, 0x20100008u, 0x20102000u, 0x40884200u}) {
    EXPECT_TRUE(total_characters.contains(character)) << std::hex << character;
  }
  EXPECT_EQ(posting, kAccounts + 3);  // two tax accounts and retained earnings
  EXPECT_GT(subs, kAccounts / 8);
  EXPECT_LT(subs, kAccounts / 4);
  for (const Account& account : books.accounts) {
    if (account.kind != kKindTotal) {
      EXPECT_FALSE(total_characters.contains(account.character)) << account.key;
    }
  }

  // The journal: exactly the lines asked for, every month, balanced vouchers of every
  // shape, taxed lines, and the closing vouchers.
  int lines = 0, taxed = 0, one_to_many = 0, many_to_one = 0, many_to_many = 0;
  std::set<int> months;
  int interim = 0, year_end = 0;
  for (const Voucher& voucher : books.vouchers) {
    lines += static_cast<int>(voucher.lines.size());
    months.insert(voucher.date / 100 % 100);
    std::int64_t debits = 0, credits = 0;
    int debit_sides = 0, credit_sides = 0;
    for (const JournalLine& line : voucher.lines) {
      debits += line.debit_amount + line.debit_tax;
      credits += line.credit_amount + line.credit_tax;
      debit_sides += line.debit_key != 0;
      credit_sides += line.credit_key != 0;
      taxed += line.debit_tax != 0 || line.credit_tax != 0;
    }
    EXPECT_EQ(debits, credits) << "voucher " << voucher.journal_key;
    one_to_many += debit_sides == 1 && credit_sides > 1;
    many_to_one += debit_sides > 1 && credit_sides == 1;
    many_to_many += debit_sides > 1 && credit_sides > 1;
    if (voucher.period_kind == kPeriodInterim) {
      ++interim;
      EXPECT_EQ(voucher.date, 20240930);
    }
    if (voucher.period_kind == kPeriodYearEnd) {
      ++year_end;
      EXPECT_EQ(voucher.date, 20250331);
    }
  }
  EXPECT_EQ(lines, kLines);
  EXPECT_EQ(months.size(), 12u);
  EXPECT_GT(taxed, kLines / 10);
  EXPECT_GT(one_to_many, 0);
  EXPECT_GT(many_to_one, 0);
  EXPECT_GT(many_to_many, 0);
  EXPECT_EQ(interim, 1);
  EXPECT_EQ(year_end, 2);
  // Simple vouchers are the rule.
  EXPECT_GT(static_cast<int>(books.vouchers.size()), kLines * 2 / 3);
}

}  // namespace
}  // namespace vintor::books
