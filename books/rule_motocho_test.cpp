#include "books/rule_motocho.h"

#include <gtest/gtest.h>

#include <vector>

#include "books/books_codes.h"
#include "books/books_test_support.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

using platform::StMOTOCHOINFO;
using testing::BooksFixture;
using testing::Yen;

// The records are packed to one byte and gtest's macros bind references to what they
// compare; a reference to a misaligned field is undefined, so fields are compared as copies.
template <typename T>
T Copy(T field) {
  return field;
}

// What a test expects of one ledger line.
struct Expected {
  std::int32_t journal_key, line_number, date;
  std::uint8_t side, marker;
  std::int32_t debit_key, credit_key;
};

class RuleMotochoTest : public BooksFixture {
 protected:
  std::vector<StMOTOCHOINFO> Ledger(std::int32_t key, std::int32_t first, std::int32_t last) {
    if (rule_ == nullptr) rule_ = library_->NewRuleMotocho();
    platform::StMOTOCHOHYOJIINFO display{};
    display.account_key = key;
    display.first_date = first;
    display.last_date = last;
    platform::StFINDINFO find{};
    platform::StORDERINFO order{};
    EXPECT_EQ(rule_->MoveReady(&find, &order, &display), 0);
    std::int32_t count = -1;
    EXPECT_EQ(rule_->GetCount(&find, &display, &count), 0);
    EXPECT_EQ(rule_->SetMovePos(0), 0);
    std::vector<StMOTOCHOINFO> lines;
    StMOTOCHOINFO line;
    for (int status = rule_->MoveFirst(&line); status == 0; status = rule_->MoveNext(&line)) {
      lines.push_back(line);
    }
    EXPECT_EQ(static_cast<std::int32_t>(lines.size()), count) << key;
    EXPECT_EQ(rule_->MoveNext(&line), platform::kEndOfRecords);
    EXPECT_EQ(rule_->MoveFinish(), 0);
    return lines;
  }

  void ExpectLedger(std::int32_t key, std::int32_t first, std::int32_t last,
                    const std::vector<Expected>& expected) {
    const std::vector<StMOTOCHOINFO> lines = Ledger(key, first, last);
    ASSERT_EQ(lines.size(), expected.size()) << key;
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const std::string where = std::to_string(key) + " line " + std::to_string(k);
      EXPECT_EQ(Copy(lines[k].journal_key), expected[k].journal_key) << where;
      EXPECT_EQ(Copy(lines[k].number), expected[k].journal_key + 100) << where;
      EXPECT_EQ(Copy(lines[k].line_number), expected[k].line_number) << where;
      EXPECT_EQ(Copy(lines[k].date), expected[k].date) << where;
      EXPECT_EQ(Copy(lines[k].side), expected[k].side) << where;
      EXPECT_EQ(Copy(lines[k].compound_marker), expected[k].marker) << where;
      EXPECT_EQ(Copy(lines[k].debit_key), expected[k].debit_key) << where;
      EXPECT_EQ(Copy(lines[k].credit_key), expected[k].credit_key) << where;
    }
  }

  std::unique_ptr<platform::ClRuleMotocho> rule_;
};

TEST_F(RuleMotochoTest, LedgersInDateOrderWithSidesMarkersAndCounterKeys) {
  Connect();
  // Cash: every voucher of the year that touches it, by date and then journal key (3 before
  // 4 on 10 June). The year ends with the year-end closing period, so its voucher is in; the
  // interim closing voucher is not, as the range does not end with the interim period.
  ExpectLedger(1110000, 20240401, 20250331,
               {
                   {1, 1, 20240405, 2, 0, 1110000, 5110000},
                   {3, 1, 20240610, 2, 18, 1110000, 5110000},
                   // Many-to-one seen from the single credit: its debit side stays empty,
                   // as the voucher has several debit lines.
                   {4, 3, 20240610, 1, 33, 0, 1110000},
                   {5, 1, 20240701, 1, 34, 7110000, 1110000},
                   {6, 1, 20250331, 2, 0, 1110000, 5110000},
               });
  // The bank's ledger holds its sub-accounts' lines. A line with one side empty shows the
  // voucher's only account on that side; a transfer between two sub-accounts is on both
  // sides (3).
  ExpectLedger(1350000, 20240401, 20250331,
               {
                   {2, 2, 20240520, 1, 0, 6110000, 1350001},
                   {3, 2, 20240610, 1, 18, 1110000, 1350002},
                   {5, 2, 20240701, 1, 34, 7990000, 1350001},
                   {8, 1, 20250331, 3, 0, 1350001, 1350002},
               });
  // A sub-account's own key reaches the same ledger.
  EXPECT_EQ(Ledger(1350002, 20240401, 20250331).size(), 4u);
  // Many-to-one from the debit side: each debit line shows the single credit account.
  ExpectLedger(6110000, 20240401, 20250331,
               {
                   {2, 1, 20240520, 2, 0, 6110000, 1350001},
                   {4, 1, 20240610, 2, 33, 6110000, 1110000},
               });
}

TEST_F(RuleMotochoTest, TaxAccountsGetTheTaxPartsOfOtherAccountsLines) {
  Connect();
  ExpectLedger(1900000, 20240401, 20250331, {{2, 1, 20240520, 2, 0, 6110000, 1350001}});
  ExpectLedger(3350000, 20240401, 20250331, {{1, 1, 20240405, 1, 0, 1110000, 5110000}});
  const std::vector<StMOTOCHOINFO> lines = Ledger(3350000, 20240401, 20250331);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Copy(lines[0].credit_amount), Yen(1000));
  EXPECT_EQ(Copy(lines[0].credit_tax), Yen(100));
  EXPECT_EQ(Copy(lines[0].debit_amount), Yen(1100));
  EXPECT_EQ(text::FieldText(lines[0].description), "売上 現金");
}

TEST_F(RuleMotochoTest, OnlyLinesWithinTheDatesCount) {
  Connect();
  struct Case {
    std::int32_t first, last;
    std::vector<std::int32_t> journal_keys;
  };
  const Case cases[] = {
      {20240601, 20240630, {3, 4}},
      {20240610, 20240610, {3, 4}},
      {20240611, 20240929, {5}},
      {20240930, 20240930, {7}},  // a range ending with the interim period holds its voucher
      {20240401, 20240930, {1, 3, 4, 5, 7}},
      {20240401, 20241031, {1, 3, 4, 5}},  // past the interim period: its voucher is out
      {20250331, 20250331, {6}},
      {20240401, 20250330, {1, 3, 4, 5}},
      {20250401, 20250430, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::int32_t> keys;
    for (const StMOTOCHOINFO& line : Ledger(1110000, c.first, c.last)) {
      keys.push_back(line.journal_key);
    }
    EXPECT_EQ(keys, c.journal_keys) << c.first << "-" << c.last;
  }
}

TEST_F(RuleMotochoTest, MovePositionsAndLongDescriptions) {
  BooksData data = testing::SampleBooks();
  // Exactly 60 bytes of text fill the field without a terminator.
  data.companies[0].vouchers[0].lines[0].description =
      std::string(30, 'a') + "あいうえおかきくけこさしすせそ";
  WriteBooks(data);
  library_ = OpenLibrary();
  ASSERT_EQ(library_->Connection().Initiate(), 0);
  rule_ = library_->NewRuleMotocho();
  platform::StMOTOCHOHYOJIINFO display{};
  display.account_key = 1110000;
  display.first_date = 20240401;
  display.last_date = 20250331;
  StMOTOCHOINFO line;
  EXPECT_EQ(rule_->MoveFirst(&line), kCodeNotReady);
  ASSERT_EQ(rule_->MoveReady(nullptr, nullptr, &display), 0);
  ASSERT_EQ(rule_->SetMovePos(4), 0);
  ASSERT_EQ(rule_->MoveNext(&line), 0);
  EXPECT_EQ(line.journal_key, 6);
  ASSERT_EQ(rule_->SetMovePos(0), 0);  // back to the start
  ASSERT_EQ(rule_->MoveNext(&line), 0);
  EXPECT_EQ(line.journal_key, 1);
  EXPECT_EQ(std::string(line.description, sizeof line.description),
            std::string(30, 'a') + "あいうえおかきくけこさしすせそ");
  ASSERT_EQ(rule_->MoveFirst(&line), 0);
  EXPECT_EQ(line.journal_key, 1);
  ASSERT_EQ(rule_->SetMovePos(9), 0);
  EXPECT_EQ(rule_->MoveNext(&line), platform::kEndOfRecords);
  EXPECT_EQ(rule_->MoveReady(nullptr, nullptr, nullptr), kCodeBadArgument);
}

TEST_F(RuleMotochoTest, VoucherLinesInLineOrder) {
  Connect();
  std::unique_ptr<platform::ClRuleShiwake> rule = library_->NewRuleShiwake();
  platform::StFINDINFO find{};
  find.blocks[0].item = platform::kFindItemVoucher;
  find.blocks[0].op = platform::kFindOpEqual;
  find.blocks[0].value_type = 3;
  find.blocks[0].operand = 4;
  ASSERT_EQ(rule->MoveReady(&find, nullptr, nullptr, 2), 0);
  std::int32_t count = 0;
  ASSERT_EQ(rule->GetSwkCount(&find, nullptr, &count), 0);
  EXPECT_EQ(count, 3);
  platform::StSWKTINFO line;
  std::vector<std::int32_t> numbers;
  std::vector<std::int64_t> debits;
  for (int status = rule->MoveFirst(&line); status == 0; status = rule->MoveNext(&line)) {
    numbers.push_back(line.line_number);
    debits.push_back(line.debit_amount);
    EXPECT_EQ(line.compound_marker, 33);
  }
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(debits, (std::vector<std::int64_t>{Yen(100), Yen(200), 0}));
  EXPECT_EQ(rule->MoveNext(&line), platform::kEndOfRecords);

  find.blocks[0].operand = 999;  // no such voucher
  ASSERT_EQ(rule->MoveReady(&find, nullptr, nullptr, 2), 0);
  EXPECT_EQ(rule->MoveFirst(&line), platform::kEndOfRecords);
  find.blocks[0].item = platform::kFindItemAccount;
  EXPECT_EQ(rule->MoveReady(&find, nullptr, nullptr, 2), kCodeBadCondition);
}

}  // namespace
}  // namespace vintor::books
