// The sample books: the companies exercise what the exporter must handle, and, as the
// exporter totals them, for every company and every month range,
// in both sets, the balance sheet balances (資産の部合計 = 負債・純資産合計 at the close of
// the range), and where 繰越利益剰余金 carries the running profit through its formula, the
// profit reaches it exactly once: its change over the range is the income statement's
// 当期純利益 plus its own postings other than the net-income transfers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "books/accounting_period.h"
#include "books/books_test_support.h"
#include "books/interchange.h"
#include "books/monthly_totals.h"

namespace vintor::books {
namespace {

using platform::StKAMOKUSUMINFO;

constexpr std::uint32_t kAssets = 0x80800000;
constexpr std::uint32_t kLiabilitiesAndNetAssets = 0x80100000;
constexpr std::uint32_t kLiabilities = 0x80400000;
constexpr std::uint32_t kNetAssets = 0x80200000;
constexpr std::uint32_t kRetainedEarnings = 0x80281048;
constexpr std::uint32_t kNetIncome = 0x40200040;
constexpr std::uint32_t kIncomeTransfer = 0x08000080;
constexpr std::uint32_t kBalanceSheetBit = 0x80000000;

// The months of a range and the exporter's rule for the slots it counts: a balance-sheet
// line opens with slots 0 to start - 1; an income-statement line opens with slot 0 only
// when the range starts with the books of this data. The movement is slots start to end,
// plus 13 when the range ends with the period's last month, plus 14 when the company closes
// an interim period and the range ends with month 6.
struct Range {
  int start = 1;
  int end = 1;
  int last_month = 12;
  bool interim = false;
  bool from_books = false;

  bool Moves(int slot) const {
    if (slot >= start && slot <= end) return true;
    return (slot == 13 && end == last_month) || (slot == 14 && interim && end == 6);
  }
  bool Opens(int slot, bool balance_sheet) const {
    return balance_sheet ? slot < start : slot == 0 && from_books;
  }
  std::string Name() const { return std::to_string(start) + "-" + std::to_string(end); }
};

struct Balance {
  std::int64_t opening = 0;
  std::int64_t movement = 0;
  std::int64_t closing() const { return opening + movement; }
};

// An account's balance over the range in set 1 or 2, on its natural side.
Balance BalanceOf(const StKAMOKUSUMINFO& r, int set, const Range& range) {
  const bool balance_sheet = (r.character & kBalanceSheetBit) != 0;
  Balance balance;
  for (int slot = 0; slot < platform::kMonthSlots; ++slot) {
    const std::int64_t debit = set == 1 ? r.debit_1[slot] : r.debit_2[slot];
    const std::int64_t credit = set == 1 ? r.credit_1[slot] : r.credit_2[slot];
    const std::int64_t natural = r.debit_nature == 1 ? debit - credit : credit - debit;
    if (range.Opens(slot, balance_sheet)) balance.opening += natural;
    if (range.Moves(slot)) balance.movement += natural;
  }
  return balance;
}

// The postings of the retained-earnings account in the range's slots, credit minus debit,
// leaving out the lines that transfer the net income from the income-transfer account.
std::int64_t OwnPostingsBesidesTransfers(const CompanyBooks& books, std::int32_t key,
                                         const Range& range) {
  std::map<std::int32_t, std::uint32_t> character;
  for (const Account& account : books.accounts) character[account.key] = account.character;
  std::int64_t change = 0;
  for (const Voucher& voucher : books.vouchers) {
    if (!range.Moves(SlotOfVoucher(voucher, books.company))) continue;
    for (const JournalLine& line : voucher.lines) {
      const bool transfer = character[line.debit_key] == kIncomeTransfer ||
                            character[line.credit_key] == kIncomeTransfer;
      if (transfer) continue;
      if (line.credit_key == key) change += line.credit_amount;
      if (line.debit_key == key) change -= line.debit_amount;
    }
  }
  return change;
}

class SampleBalanceTest : public testing::BooksFixture {
 protected:
  std::vector<StKAMOKUSUMINFO> Totals(const std::string& data_id) {
    std::unique_ptr<platform::ClRuleKamoku> rule = library_->NewRuleKamoku();
    EXPECT_EQ(rule->SetCurDataID(data_id.c_str()), 0);
    EXPECT_EQ(rule->MoveReady(1, 0, 0, nullptr, nullptr, 0), 0);
    std::vector<StKAMOKUSUMINFO> records;
    StKAMOKUSUMINFO record;
    while (rule->MoveNext(&record) == 0) records.push_back(record);
    return records;
  }
};

TEST_F(SampleBalanceTest, EveryRangeBalancesAndTheProfitReachesRetainedEarningsOnce) {
  BooksData data;
  std::string error;
  ASSERT_TRUE(ReadInterchange(os_, VINTOR_SAMPLE_BOOKS, &data, &error)) << error;
  WriteBooks(data);
  library_ = OpenLibrary();
  ASSERT_EQ(library_->Connection().Initiate(), 0);

  for (const CompanyBooks& books : data.companies) {
    const Company& company = books.company;
    SCOPED_TRACE("company " + std::to_string(company.data_number));
    // The totals the statements look up, by exact character.
    std::map<std::uint32_t, StKAMOKUSUMINFO> by_character;
    for (const StKAMOKUSUMINFO& r : Totals(company.data_id)) by_character.emplace(r.character, r);
    ASSERT_TRUE(by_character.contains(kAssets));
    const bool carries_profit = by_character.contains(kRetainedEarnings) &&
                                by_character.at(kRetainedEarnings).kind == kKindNoLedger;

    const AccountingPeriod period(company.first_day, company.last_day);
    Range range;
    range.last_month = period.FiscalMonthOf(company.last_day);
    range.interim = company.interim_settlement;
    const int introduction = company.introduction_month >= 1 && company.introduction_month <= 12
                                 ? period.FiscalMonthOfCalendarMonth(company.introduction_month)
                                 : company.introduction_month;
    for (range.start = 1; range.start <= range.last_month; ++range.start) {
      range.from_books = introduction == 0 ? range.start == 1 : range.start <= introduction;
      for (range.end = range.start; range.end <= range.last_month; ++range.end) {
        for (const int set : {1, 2}) {
          SCOPED_TRACE(range.Name() + " set " + std::to_string(set));
          const std::int64_t assets = BalanceOf(by_character.at(kAssets), set, range).closing();
          const std::int64_t liabilities_and_net_assets =
              by_character.contains(kLiabilitiesAndNetAssets)
                  ? BalanceOf(by_character.at(kLiabilitiesAndNetAssets), set, range).closing()
                  : BalanceOf(by_character.at(kLiabilities), set, range).closing() +
                        BalanceOf(by_character.at(kNetAssets), set, range).closing();
          EXPECT_EQ(assets, liabilities_and_net_assets);
          if (!carries_profit) continue;
          const StKAMOKUSUMINFO& retained = by_character.at(kRetainedEarnings);
          const Balance net_income = BalanceOf(by_character.at(kNetIncome), set, range);
          EXPECT_EQ(BalanceOf(retained, set, range).movement,
                    net_income.closing() + OwnPostingsBesidesTransfers(books, retained.key, range));
        }
      }
    }
  }
}

bool HasCompoundVoucher(const CompanyBooks& books) {
  for (const Voucher& voucher : books.vouchers) {
    int debits = 0, credits = 0;
    for (const JournalLine& line : voucher.lines) {
      debits += line.debit_key != 0;
      credits += line.credit_key != 0;
    }
    if (debits > 1 && credits > 1) return true;
  }
  return false;
}

bool HasVoucher(const CompanyBooks& books, std::int16_t kind, std::int32_t date) {
  for (const Voucher& voucher : books.vouchers) {
    if (voucher.period_kind == kind && voucher.date == date) return true;
  }
  return false;
}

// What each of the exportable companies 4-6 stands for, one case per trait.
TEST(SampleBooksTest, TheExportableCompaniesExerciseTheirCases) {
  BooksData data;
  std::string error;
  ASSERT_TRUE(ReadInterchange(os::SystemOs(), VINTOR_SAMPLE_BOOKS, &data, &error)) << error;
  const auto company = [&](std::int32_t number) -> const CompanyBooks& {
    for (const CompanyBooks& books : data.companies) {
      if (books.company.data_number == number) return books;
    }
    static const CompanyBooks kNone;
    return kNone;
  };
  const auto first_voucher_date = [](const CompanyBooks& books) {
    std::int32_t first = 99999999;
    for (const Voucher& voucher : books.vouchers) first = std::min(first, voucher.date);
    return first;
  };
  const auto any_account = [](const CompanyBooks& books, std::uint32_t mask) {
    for (const Account& account : books.accounts) {
      if ((account.character & mask) == mask) return true;
    }
    return false;
  };
  struct Case {
    std::int32_t data_number;
    const char* trait;
    std::function<bool(const CompanyBooks&)> holds;
  };
  const Case cases[] = {
      {4, "totals including tax", [](const auto& b) { return b.company.tax_included; }},
      {4, "a calendar year",
       [](const auto& b) {
         return b.company.first_day % 10000 == 101 && b.company.last_day % 10000 == 1231;
       }},
      {4, "vouchers only from the introduction month",
       [&](const auto& b) {
         return b.company.introduction_month == 4 && first_voucher_date(b) / 100 % 100 == 4;
       }},
      {4, "no cost schedule",
       [&](const auto& b) { return !b.company.has_cost_schedule && !any_account(b, 0x20000000); }},
      {4, "no notes", [](const auto& b) { return b.saved_texts.empty(); }},
      {5, "closing on the 20th across the calendar year",
       [](const auto& b) {
         return ClosingDayOfEndDate(b.company.last_day) == 20 &&
                b.company.first_day / 10000 != b.company.last_day / 10000;
       }},
      {5, "notes on",
       [](const auto& b) {
         return b.saved_texts.contains(100) &&
                b.saved_texts.at(100).find("InputMode=1") != std::string::npos;
       }},
      {6, "six months with an interim closing on the last day",
       [](const auto& b) {
         return b.company.interim_settlement &&
                AccountingPeriod(b.company.first_day, b.company.last_day)
                        .FiscalMonthOf(b.company.last_day) == 6 &&
                HasVoucher(b, kPeriodInterim, b.company.last_day);
       }},
      {6, "a sale posted in the year-end closing period",
       [](const auto& b) {
         for (const Voucher& voucher : b.vouchers) {
           for (const JournalLine& line : voucher.lines) {
             if (voucher.period_kind == kPeriodYearEnd && line.credit_key == 4110000) return true;
           }
         }
         return false;
       }},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(c.holds(company(c.data_number))) << c.data_number << ": " << c.trait;
  // Common to all three: exportable, a compound voucher, tax parts, year-end closing
  // vouchers on the last day, 15 to 40 vouchers.
  for (const std::int32_t number : {4, 5, 6}) {
    const CompanyBooks& books = company(number);
    SCOPED_TRACE(number);
    EXPECT_TRUE(books.company.companies_act);
    EXPECT_NE(books.company.introduction_month, 99);
    EXPECT_TRUE(HasCompoundVoucher(books));
    EXPECT_TRUE(HasVoucher(books, kPeriodYearEnd, books.company.last_day));
    EXPECT_TRUE(any_account(books, 0x80880810) && any_account(books, 0x80484010));
    EXPECT_GE(books.vouchers.size(), 15u);
    EXPECT_LE(books.vouchers.size(), 40u);
  }
}

}  // namespace
}  // namespace vintor::books
