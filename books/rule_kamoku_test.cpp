#include "books/rule_kamoku.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "books/books_codes.h"
#include "books/books_test_support.h"
#include "books/interchange_fields.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

using platform::StKAMOKUSUMINFO;
using testing::BooksFixture;
using testing::Yen;

// The records are packed to one byte and gtest's macros bind references to what they
// compare; a reference to a misaligned field is undefined, so fields are compared as copies.
template <typename T>
T Copy(T field) {
  return field;
}

class RuleKamokuTest : public BooksFixture {
 protected:
  // Every record of the cursor, in cursor order.
  std::vector<StKAMOKUSUMINFO> ReadAll(const char* data_id = nullptr) {
    std::unique_ptr<platform::ClRuleKamoku> rule = library_->NewRuleKamoku();
    if (data_id != nullptr) {
      EXPECT_EQ(rule->SetCurDataID(data_id), 0);
    }
    platform::StFINDINFO find{};
    EXPECT_EQ(rule->MoveReady(1, 0, 0, &find, nullptr, 0), 0);
    std::int32_t count = -1;
    EXPECT_EQ(rule->GetSumCount(&count), 0);
    EXPECT_EQ(rule->SetMovePos(0), 0);
    std::vector<StKAMOKUSUMINFO> records;
    StKAMOKUSUMINFO record;
    while (rule->MoveNext(&record) == 0) records.push_back(record);
    EXPECT_EQ(static_cast<std::int32_t>(records.size()), count);
    EXPECT_EQ(rule->MoveNext(&record), platform::kEndOfRecords);
    EXPECT_EQ(rule->MoveFinish(), 0);
    return records;
  }

  std::map<std::int32_t, StKAMOKUSUMINFO> ByKey(const std::vector<StKAMOKUSUMINFO>& records) {
    std::map<std::int32_t, StKAMOKUSUMINFO> by_key;
    for (const StKAMOKUSUMINFO& record : records) by_key[record.key] = record;
    return by_key;
  }
};

TEST_F(RuleKamokuTest, DeliversTheChartInOrderWithItsFields) {
  Connect();
  const std::vector<StKAMOKUSUMINFO> records = ReadAll();
  const std::vector<std::int32_t> expected_keys = {1110000, 1350000, 1350001, 1350002,
                                                   1900000, 3350000, 5110000, 6110000,
                                                   7110000, 7990000, 9000000, 9100000};
  ASSERT_EQ(records.size(), expected_keys.size());
  for (std::size_t k = 0; k < records.size(); ++k) EXPECT_EQ(records[k].key, expected_keys[k]);

  const StKAMOKUSUMINFO& cash = records[0];
  EXPECT_EQ(text::FieldText(cash.formal_name), "現金");
  EXPECT_EQ(text::FieldText(cash.statement_name), "現金及び預金");
  EXPECT_EQ(cash.character, 0x80100010u);
  EXPECT_EQ(cash.kind, 0);
  EXPECT_EQ(cash.debit_nature, 1);
  EXPECT_EQ(records[2].kind, 1);           // a sub-account
  EXPECT_EQ(records[5].debit_nature, 0);   // tax received
  EXPECT_EQ(records[8].ledger_flag_1, 1);  // no_ledger_1 at 0x7E
  EXPECT_EQ(records[8].ledger_flag_2, 0);
  EXPECT_EQ(records[9].ledger_flag_2, 1);  // no_ledger_2 at 0x7F
  EXPECT_EQ(records[9].kind, 3);
  EXPECT_EQ(records[10].kind, 2);
  EXPECT_EQ(records[10].character, 0x40900000u);
}

TEST_F(RuleKamokuTest, MonthlySlotsInBothSets) {
  Connect();
  const auto by_key = ByKey(ReadAll());
  struct Case {
    std::int32_t key;
    int slot;
    std::int64_t debit_1, credit_1, debit_2, credit_2;  // yen
  };
  const Case cases[] = {
      // Openings in slot 0 on the natural side, both sets.
      {1110000, 0, 100, 0, 100, 0},
      {3350000, 0, 0, 20, 0, 20},
      // Month 1: the sale's tax is on the tax-received account in set 1, on sales in set 2.
      {1110000, 1, 1100, 0, 1100, 0},
      {5110000, 1, 0, 1000, 0, 1100},
      {3350000, 1, 0, 100, 0, 0},
      // Month 2: the purchase's tax is on the tax-paid account in set 1.
      {6110000, 2, 500, 0, 550, 0},
      {1900000, 2, 50, 0, 0, 0},
      // Month 3 holds both vouchers of 10 June; month 4 the one of 1 July.
      {1110000, 3, 300, 300, 300, 300},
      {6110000, 3, 100, 0, 100, 0},
      {7110000, 4, 100, 0, 100, 0},
      // Closing periods: year-end in slot 13, interim in slot 14; month 12 stays empty.
      {1110000, 13, 10, 0, 10, 0},
      {1110000, 14, 20, 0, 20, 0},
      {5110000, 13, 0, 10, 0, 10},
      {1110000, 12, 0, 0, 0, 0},
      // Sub-accounts count in their main account; each keeps its own totals too.
      {1350001, 0, 50, 0, 50, 0},
      {1350000, 0, 50, 0, 50, 0},
      {1350001, 2, 0, 550, 0, 550},
      {1350002, 3, 0, 100, 0, 100},
      {1350000, 2, 0, 550, 0, 550},
      {1350000, 3, 0, 100, 0, 100},
      {1350000, 12, 30, 30, 30, 30},
      // An account of kind 3 has totals like any other.
      {7990000, 4, 50, 0, 50, 0},
  };
  for (const Case& c : cases) {
    const StKAMOKUSUMINFO& r = by_key.at(c.key);
    const std::string where = std::to_string(c.key) + " slot " + std::to_string(c.slot);
    EXPECT_EQ(Copy(r.debit_1[c.slot]), Yen(c.debit_1)) << where;
    EXPECT_EQ(Copy(r.credit_1[c.slot]), Yen(c.credit_1)) << where;
    EXPECT_EQ(Copy(r.debit_2[c.slot]), Yen(c.debit_2)) << where;
    EXPECT_EQ(Copy(r.credit_2[c.slot]), Yen(c.credit_2)) << where;
  }
}

TEST_F(RuleKamokuTest, TotalAccountsFollowTheirFormulas) {
  Connect();
  const auto by_key = ByKey(ReadAll());
  // 9000000 = +0x40100000 (sales) -0x40200000 (purchases), slot by slot and set by set.
  const StKAMOKUSUMINFO& gross = by_key.at(9000000);
  const StKAMOKUSUMINFO& sales = by_key.at(5110000);
  const StKAMOKUSUMINFO& purchases = by_key.at(6110000);
  for (int slot = 0; slot < platform::kMonthSlots; ++slot) {
    EXPECT_EQ(Copy(gross.credit_1[slot]), sales.credit_1[slot] - purchases.credit_1[slot]) << slot;
    EXPECT_EQ(Copy(gross.debit_2[slot]), sales.debit_2[slot] - purchases.debit_2[slot]) << slot;
  }
  EXPECT_EQ(Copy(gross.debit_2[2]), Yen(-550));
  EXPECT_EQ(Copy(gross.credit_2[1]), Yen(1100));
  // 9100000 = +0x40400000 (wages and sundries, kind 3 included) -#7110000 (wages): sundries.
  const StKAMOKUSUMINFO& other = by_key.at(9100000);
  EXPECT_EQ(Copy(other.debit_1[4]), Yen(50));
  EXPECT_EQ(Copy(other.debit_1[3]), 0);
}

// 雑費 (7990000, kind 3, 50 of its own in month 4) given a formula: its totals are its own
// plus the terms over plain totals (a mask skips it), and the totals over it (9100000 =
// +0x40400000 -#7110000) count it complete.
TEST_F(RuleKamokuTest, AnAccountOfKindThreeAddsItsFormulaToItsOwnTotals) {
  struct Case {
    const char* formula;
    std::int32_t key;
    int slot;
    std::int64_t debit_1, credit_1, debit_2, credit_2;  // yen
  };
  const Case cases[] = {
      // Sales added: every slot and both sets, the closing periods included.
      {"+#5110000", 7990000, 1, 0, 1000, 0, 1100},
      {"+#5110000", 7990000, 4, 50, 0, 50, 0},
      {"+#5110000", 7990000, 13, 0, 10, 0, 10},
      {"+#5110000", 7990000, 14, 0, 20, 0, 20},
      {"+#5110000", 9100000, 1, 0, 1000, 0, 1100},
      {"+#5110000", 9100000, 4, 50, 0, 50, 0},
      {"+#5110000", 5110000, 1, 0, 1000, 0, 1100},  // the named account is unchanged
      // A mask that matches the account itself counts its plain totals once, its own.
      {"+0x40400000", 7990000, 3, 200, 0, 200, 0},
      {"+0x40400000", 7990000, 4, 150, 0, 150, 0},
      {"+0x40400000", 9100000, 4, 150, 0, 150, 0},
      {"-#7110000", 7990000, 4, -50, 0, -50, 0},
  };
  // A formula part is read from plain totals only: naming itself (or another account with
  // a formula) cannot be computed.
  BooksData self = testing::SampleBooks();
  self.companies[0].accounts[9].formula = "+#7990000";
  WriteBooks(self);
  library_ = OpenLibrary();
  ASSERT_EQ(library_->Connection().Initiate(), 0);
  EXPECT_EQ(library_->NewRuleKamoku()->MoveReady(1, 0, 0, nullptr, nullptr, 0), kCodeBadFormula);
  // Windows does not replace a file that is still open.
  library_.reset();
  for (const Case& c : cases) {
    BooksData data = testing::SampleBooks();
    data.companies[0].accounts[9].formula = c.formula;
    WriteBooks(data);
    library_ = OpenLibrary();
    ASSERT_EQ(library_->Connection().Initiate(), 0);
    const StKAMOKUSUMINFO r = ByKey(ReadAll()).at(c.key);
    const std::string where =
        std::string(c.formula) + ": " + std::to_string(c.key) + " slot " + std::to_string(c.slot);
    EXPECT_EQ(Copy(r.debit_1[c.slot]), Yen(c.debit_1)) << where;
    EXPECT_EQ(Copy(r.credit_1[c.slot]), Yen(c.credit_1)) << where;
    EXPECT_EQ(Copy(r.debit_2[c.slot]), Yen(c.debit_2)) << where;
    EXPECT_EQ(Copy(r.credit_2[c.slot]), Yen(c.credit_2)) << where;
    library_.reset();
  }
}

TEST_F(RuleKamokuTest, AFormulaThatCannotBeUsedFailsThePreparation) {
  struct Case {
    const char* formula;
    int code;
  };
  const Case cases[] = {
      {"+0x4010", kCodeBadFormula},       // too few digits
      {"0x40100000", kCodeBadFormula},    // no sign
      {"+#5550000", kCodeBadFormula},     // no such account
      {"+#9100000", kCodeBadFormula},     // a total of totals
      {"+#1110000 *2", kCodeBadFormula},  // not a term
  };
  for (const Case& c : cases) {
    BooksData data = testing::SampleBooks();
    data.companies[0].accounts[10].formula = c.formula;
    WriteBooks(data);
    library_ = OpenLibrary();
    ASSERT_EQ(library_->Connection().Initiate(), 0);
    std::unique_ptr<platform::ClRuleKamoku> rule = library_->NewRuleKamoku();
    EXPECT_EQ(rule->MoveReady(1, 0, 0, nullptr, nullptr, 0), c.code) << c.formula;
    std::int32_t count = 0;
    EXPECT_EQ(rule->GetSumCount(&count), kCodeNotReady) << c.formula;
    library_.reset();
  }
}

TEST_F(RuleKamokuTest, TotalsOverflowInAFormulaIsAnError) {
  BooksData data = testing::SampleBooks();
  CompanyBooks& books = data.companies[0];
  // Sales are within range; three times sales are not. Each line holds the largest amount
  // an import accepts, and 3,100 of them make sales of about 3.1 * 10^18 (scaled).
  std::vector<JournalLine>& lines = books.vouchers[0].lines;
  lines.clear();
  for (std::int32_t n = 1; n <= 3100; ++n) {
    lines.push_back({n, 1110000, kMaxAmount, 0, 5110000, kMaxAmount, 0, ""});
  }
  books.accounts[10].formula = "+0x40100000 +#5110000 +0x40100000";
  WriteBooks(data);
  library_ = OpenLibrary();
  ASSERT_EQ(library_->Connection().Initiate(), 0);
  EXPECT_EQ(library_->NewRuleKamoku()->MoveReady(1, 0, 0, nullptr, nullptr, 0), kCodeOverflow);
}

TEST_F(RuleKamokuTest, OtherCompanyAndUnknownData) {
  Connect();
  const std::vector<StKAMOKUSUMINFO> second = ReadAll("C002");
  ASSERT_EQ(second.size(), 2u);
  // Closing on the 20th: 20 April is month 1, 21 April month 2, 20 March month 12.
  EXPECT_EQ(second[0].debit_2[1], Yen(1));
  EXPECT_EQ(second[0].debit_2[2], Yen(2));
  EXPECT_EQ(second[0].debit_2[12], Yen(4));
  EXPECT_EQ(library_->NewRuleKamoku()->SetCurDataID("C999"), kCodeUnknownData);
}

TEST_F(RuleKamokuTest, CursorCallsOutOfOrder) {
  Connect();
  std::unique_ptr<platform::ClRuleKamoku> rule = library_->NewRuleKamoku();
  StKAMOKUSUMINFO record;
  std::int32_t count = 0;
  EXPECT_EQ(rule->MoveNext(&record), kCodeNotReady);
  ASSERT_EQ(rule->MoveReady(1, 0, 0, nullptr, nullptr, 0), 0);
  ASSERT_EQ(rule->GetSumCount(&count), 0);
  EXPECT_EQ(rule->SetMovePos(count + 1), kCodeBadArgument);
  ASSERT_EQ(rule->SetMovePos(count - 1), 0);
  ASSERT_EQ(rule->MoveNext(&record), 0);
  EXPECT_EQ(record.key, 9100000);
  EXPECT_EQ(rule->MoveNext(&record), platform::kEndOfRecords);
}

}  // namespace
}  // namespace vintor::books
