#include "supplements/ledger_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vintor::supplements {
namespace {

using platform::StFINDINFO;
using platform::StKAMOKUINFO;
using platform::StKAMOKUSUMINFO;
using platform::StMOTOCHOINFO;
using platform::StSWKTINFO;

constexpr std::int64_t kYen = 10'000;
constexpr std::int32_t kOwn = 1110000;      // the extracted account (main code 111)
constexpr std::int32_t kCounter = 2220000;  // its usual counter account (main code 222)
constexpr std::uint32_t kIncome = 0x40000000;
constexpr std::uint32_t kBalanceSheet = 0x80000000;
constexpr std::uint32_t kDebitTax = 0x80880810;
constexpr int kNotServed = 7004;

// Everything the fake library delivers and records. The test owns it; the cursors the
// extractor creates refer to it.
struct Books {
  // The chart: key -> name and character.
  std::map<std::int32_t, std::pair<std::string, std::uint32_t>> accounts = {
      {kCounter, {"買掛金", kIncome}}};
  std::vector<StMOTOCHOINFO> ledger;
  std::function<StMOTOCHOINFO(int)> generate;  // used when ledger is empty
  std::int32_t count = -1;                     // -1: the number of ledger lines
  int count_result = 0, move_pos_result = 0;
  int fail_line = -1, fail_code = 0;  // the 0-based move that answers fail_code
  std::map<std::int32_t, std::vector<StSWKTINFO>> vouchers;
  bool refuse_journal = false;

  int ledgers_created = 0, journals_created = 0, finished = 0, moves = 0;
  std::string ledger_data_id, journal_data_id;
  StFINDINFO ledger_find{}, voucher_find{};
  platform::StORDERINFO order{};
  platform::StMOTOCHOHYOJIINFO display{};
  int journal_cursor_type = -1;
  bool journal_display_null = false;
  std::vector<std::int32_t> lookups;  // operands of the chart lookups
  int open_chart_cursors = 0;
};

class FakeLedger : public platform::ClRuleMotocho {
 public:
  explicit FakeLedger(Books& books) : b_(books) { ++b_.ledgers_created; }
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char* id) override { return b_.ledger_data_id = id, 0; }
  int AttachOptLink(platform::ClOptLink*) override { return 0; }
  int MoveReady(const StFINDINFO* find, const platform::StORDERINFO* order,
                const platform::StMOTOCHOHYOJIINFO* display) override {
    b_.ledger_find = *find, b_.order = *order, b_.display = *display;
    return 0;
  }
  int GetCount(const StFINDINFO*, const platform::StMOTOCHOHYOJIINFO*,
               std::int32_t* count) override {
    *count = b_.count >= 0 ? b_.count : static_cast<std::int32_t>(b_.ledger.size());
    return b_.count_result;
  }
  int SetMovePos(std::int32_t position) override { return next_ = position, b_.move_pos_result; }
  int MoveFirst(StMOTOCHOINFO* line) override { return next_ = 0, MoveNext(line); }
  int MoveNext(StMOTOCHOINFO* line) override {
    ++b_.moves;
    const int at = next_++;
    if (at == b_.fail_line) return b_.fail_code;
    if (b_.ledger.empty() && b_.generate) return *line = b_.generate(at), 0;
    if (at >= static_cast<int>(b_.ledger.size())) return platform::kEndOfRecords;
    *line = b_.ledger[at];
    return 0;
  }
  int MoveFinish() override { return ++b_.finished, 0; }

 private:
  Books& b_;
  int next_ = 0;
};

class FakeJournal : public platform::ClRuleShiwake {
 public:
  explicit FakeJournal(Books& books) : b_(books) { ++b_.journals_created; }
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char* id) override { return b_.journal_data_id = id, 0; }
  int AttachOptLink(platform::ClOptLink*) override { return 0; }
  int MoveReady(const StFINDINFO* find, const platform::StORDERINFO*,
                const platform::StMOTOCHOHYOJIINFO* display, int cursor_type) override {
    b_.voucher_find = *find, b_.journal_cursor_type = cursor_type;
    b_.journal_display_null = display == nullptr;
    const std::int32_t voucher = find->blocks[0].operand;  // a copy: the key is bound by reference
    lines_ = &b_.vouchers[voucher];
    return 0;
  }
  int GetSwkCount(const StFINDINFO*, const platform::StMOTOCHOHYOJIINFO*,
                  std::int32_t* count) override {
    return *count = static_cast<std::int32_t>(lines_->size()), 0;
  }
  int MoveFirst(StSWKTINFO* line) override { return next_ = 0, MoveNext(line); }
  int MoveNext(StSWKTINFO* line) override {
    if (next_ >= lines_->size()) return platform::kEndOfRecords;
    return *line = (*lines_)[next_++], 0;
  }

 private:
  Books& b_;
  std::vector<StSWKTINFO>* lines_ = nullptr;
  std::size_t next_ = 0;
};

class FakeChart : public platform::ClSetKamoku {
 public:
  explicit FakeChart(Books& books) : b_(books) {}
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char*) override { return 0; }
  int GetCursor(platform::SetCursor* cursor) override {
    return ++b_.open_chart_cursors, *cursor = this, 0;
  }
  int ReadyCursor(platform::SetCursor) override { return 0; }
  int WalkFind(platform::SetCursor, const StFINDINFO* find, StKAMOKUINFO* account) override {
    const platform::StFINDBLOCK& block = find->blocks[0];
    if (block.item != 2 || block.op != 1 || block.value_type != 3) return kNotServed;
    // A copy: push_back and find bind references, and the packed field may be misaligned.
    const std::int32_t operand = block.operand;
    b_.lookups.push_back(operand);
    const auto found = b_.accounts.find(operand);
    if (found == b_.accounts.end()) return platform::kEndOfRecords;
    account->key = operand;
    std::memcpy(account->name, found->second.first.data(),
                std::min(found->second.first.size(), sizeof account->name));
    account->character = found->second.second;
    return 0;
  }
  int ReleaseCursor(platform::SetCursor) override { return --b_.open_chart_cursors, 0; }

 private:
  Books& b_;
};

// Fiscal month m runs from day m*1000+1 to m*1000+30 in this calendar.
class FakePeriod : public platform::ClAccPeriod {
 public:
  int SetPeriod(std::int32_t, std::int32_t) override { return set_up = true, 0; }
  int GetClosingDayByEndDate(std::int32_t, int, std::int32_t*) override { std::abort(); }
  int SetClosingDay(std::int32_t) override { return 0; }
  int GetAMonthByDate(std::int32_t, std::int32_t*, int) override { std::abort(); }
  int GetPeriodByMonthKind(int kind, std::int32_t* first, std::int32_t* last) override {
    EXPECT_TRUE(set_up) << "the period is set up before it is asked";
    *first = kind * 1000 + 1;
    *last = kind * 1000 + 30;
    return 0;
  }
  bool set_up = false;
};

class FakeCompanies : public platform::ClSetData {
 public:
  FakeCompanies() { std::strcpy(selected.data_id, "C001"); }
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char*) override { return 0; }
  int GetDatCursor(platform::SetCursor*) override { std::abort(); }
  int ReadyDat(platform::SetCursor, int) override { std::abort(); }
  int WalkDat(platform::StDATAINFO*, platform::SetCursor) override { std::abort(); }
  int ReleaseDatCursor(platform::SetCursor) override { std::abort(); }
  const platform::StDATAINFO* GetSelectedInfo() override { return &selected; }
  int GetAccPeriod(platform::ClAccPeriod* period) override { return period->SetPeriod(1, 2); }
  platform::StDATAINFO selected{};
};

// One era from 20000101, so 20150401 is its 16th year.
class FakeEras : public platform::ClSetGengo {
 public:
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char*) override { return 0; }
  int GetCursor(platform::SetCursor* cursor) override { return *cursor = this, 0; }
  int Ready(platform::SetCursor) override { return read_ = false, 0; }
  int Walk(platform::StGENGOINFO* era, platform::SetCursor) override {
    if (read_) return platform::kEndOfRecords;
    *era = {1, 20000101, "甲和"};
    return read_ = true, 0;
  }
  int ReleaseCursor(platform::SetCursor) override { return 0; }

 private:
  bool read_ = false;
};

class FakeSetManager : public platform::ClSetMgr {
 public:
  platform::ClSetBase* GetSetObject(int kind, int) override {
    return kind == platform::kSetEras ? &eras : nullptr;
  }
  FakeEras eras;
};

class FakeDataManager : public platform::ClDataMgr {
 public:
  explicit FakeDataManager(Books& books) : chart(books) {}
  platform::ClSetMgr* GetSetMgr() override { return &sets; }
  platform::ClSetBase* GetSetObject(int kind, int mode) override {
    if (mode != 1) return nullptr;
    if (kind == platform::kSetAccounts) return &chart;
    return kind == platform::kSetCompanyData ? &companies : nullptr;
  }
  platform::ClSysUser* GetSysUserObject() override { std::abort(); }
  FakeSetManager sets;
  FakeCompanies companies;
  FakeChart chart;
};

class FakeLinks : public platform::ClLinkMgr {
 public:
  platform::ClOptLink* GetOptLink() override { return &link; }
  platform::ClOptLink link;
};

class FakeMessages : public platform::ClMsgMgr {
 public:
  bool CheckFatalErrorWithMsg(int code, int, int, platform::WindowHandle) override {
    return code != 0 && code != platform::kEndOfRecords;
  }
  void SetLastError(int, const char*, int) override {}
};

class FakeLibrary : public platform::AccountingLibrary {
 public:
  platform::ClAccConnect& Connection() override { std::abort(); }
  platform::ClDataMgr& DataManager() override { return data; }
  platform::ClLinkMgr& LinkManager() override { return links; }
  platform::ClMsgMgr& MessageManager() override { return messages; }
  platform::ClFileMgr& FileManager() override { std::abort(); }
  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override {
    return std::make_unique<FakePeriod>();
  }
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override { std::abort(); }
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override {
    return std::make_unique<FakeLedger>(books);
  }
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override {
    if (books.refuse_journal) return nullptr;
    return std::make_unique<FakeJournal>(books);
  }
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override { std::abort(); }
  void TaskMemFree(void*) override { std::abort(); }

  Books books;
  FakeDataManager data{books};
  FakeLinks links;
  FakeMessages messages;
};

// A ledger line of the extracted account: side 2 puts it on the debit side against the
// credit account, side 1 on the credit side against the debit account.
StMOTOCHOINFO Line(std::uint8_t side, std::int64_t debit_yen, std::int64_t credit_yen,
                   std::int32_t debit_key = kOwn, std::int32_t credit_key = kCounter) {
  StMOTOCHOINFO line{};
  line.journal_key = 500;
  line.number = 77;
  line.line_number = 1;
  line.date = 20150401;
  line.side = side;
  line.debit_key = debit_key;
  line.credit_key = credit_key;
  line.debit_amount = debit_yen * kYen;
  line.credit_amount = credit_yen * kYen;
  std::memcpy(line.description, "rent", 4);
  return line;
}

StMOTOCHOINFO CreditLine(std::int64_t yen, std::int32_t counter_key = kCounter) {
  return Line(platform::kSideCredit, yen, yen, counter_key, kOwn);
}

StSWKTINFO VoucherLine(std::int32_t line_number, std::int64_t debit_yen, std::int64_t credit_yen) {
  StSWKTINFO line{};
  line.line_number = line_number;
  line.debit_amount = debit_yen * kYen;
  line.credit_amount = credit_yen * kYen;
  return line;
}

StKAMOKUSUMINFO Totals(std::uint8_t debit_nature = 1, std::uint32_t character = kIncome,
                       std::int32_t key = kOwn) {
  StKAMOKUSUMINFO totals{};
  totals.key = key;
  totals.debit_nature = debit_nature;
  totals.character = character;
  return totals;
}

class LedgerExtractionTest : public ::testing::Test {
 protected:
  LedgerExtractionTest() {
    std::strcpy(company_.data_id, "RUN1");
    find_.blocks[0].operand = 4;
    find_.blocks[1].operand = 6;
  }
  // Extracts one account from a fresh entry list.
  bool Extract(const StKAMOKUSUMINFO& totals, bool tax_included = false) {
    entries_.clear();
    return extractor_.ExtractAccountLedger(tax_included, company_, find_, totals);
  }
  Books& books() { return library_.books; }

  FakeLibrary library_;
  ui::ProgressWindow progress_;
  LedgerEntryList entries_;
  LedgerExtractor extractor_{library_, entries_, &progress_};
  platform::StDATAINFO company_{};
  StFINDINFO find_{};
};

TEST_F(LedgerExtractionTest, FillsAnEntryPerLineFromTheLedgerCursor) {
  books().ledger = {CreditLine(1000)};
  ASSERT_TRUE(Extract(Totals()));
  ASSERT_EQ(entries_.size(), 1u);
  const LedgerEntry& entry = entries_[0];
  EXPECT_EQ(entry.account_key, kOwn);
  EXPECT_EQ(entry.number, 77);
  EXPECT_STREQ(entry.date_text, "甲和16年4月1日");
  EXPECT_STREQ(entry.counter_account_name, "買掛金");
  EXPECT_STREQ(entry.description, "rent");
  EXPECT_EQ(entry.amount, -1000 * kYen) << "a credit lowers a debit-natured account";
  EXPECT_EQ(entry.balance, -1000 * kYen);

  // The cursor shows the account from the first day of month 4 to the last of month 6.
  EXPECT_EQ(books().ledger_data_id, "RUN1") << "the company of the run";
  EXPECT_EQ(books().display.account_key, kOwn);
  EXPECT_EQ(books().display.first_date, 4001);
  EXPECT_EQ(books().display.last_date, 6030);
  EXPECT_EQ(books().display.interim_period, 0);
  EXPECT_EQ(books().display.display_kind, 2);
  const platform::StFINDBLOCK& block = books().ledger_find.blocks[0];
  EXPECT_EQ(std::vector<int>({block.item, block.op, block.value_type, block.operand, block.link}),
            std::vector<int>({17, 2, 3, 15, 0}));
  const std::int32_t keys[6] = {9, 17, 41, 8, 6, 64};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(std::int32_t{books().order.keys[k].key}, keys[k]);  // a copy of a packed field
    EXPECT_EQ(books().order.keys[k].flag_1, k == 5 ? 1 : 0);
  }
  EXPECT_EQ(books().finished, 1);
  EXPECT_EQ(books().open_chart_cursors, 0);

  // The cursor is kept for the next account; a range ending with the interim period says so.
  find_.blocks[1].operand = platform::kMonthKindInterim;
  ASSERT_TRUE(Extract(Totals()));
  EXPECT_EQ(books().ledgers_created, 1);
  EXPECT_EQ(books().display.interim_period, 1);
  EXPECT_EQ(books().display.last_date, 15030);
}

TEST_F(LedgerExtractionTest, AmountFollowsTheDebitNatureAndTheSide) {
  struct Case {
    std::uint8_t nature, side;
    std::int64_t yen;
  } cases[] = {{1, 1, -300}, {1, 2, 1000}, {1, 3, 700}, {0, 1, 300}, {0, 2, -1000}, {0, 3, -700}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "nature " << int(c.nature) << " side " << int(c.side));
    books().ledger = {Line(c.side, 1000, 300)};
    ASSERT_TRUE(Extract(Totals(c.nature)));
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_EQ(entries_[0].amount, c.yen * kYen);
    EXPECT_EQ(entries_[0].balance, c.yen * kYen);
  }
}

TEST_F(LedgerExtractionTest, SeveralCounterAccountsShowAsSundry) {
  struct Case {
    const char* name;
    std::uint8_t side, marker;
    std::int32_t line_number;
    std::int64_t credit_yen;         // the line's debit is 1000
    std::vector<StSWKTINFO> before;  // the voucher's lines
    bool sundry;
  } cases[] = {
      {"18 on the debit side", 2, 18, 1, 1000, {}, true},
      {"18 on the credit side", 1, 18, 1, 1000, {}, false},
      {"33 on the credit side", 1, 33, 1, 1000, {}, true},
      {"33 on the debit side", 2, 33, 1, 1000, {}, false},
      {"34, line does not balance", 2, 34, 1, 800, {}, true},
      // A check would find 5 against 0 here, but the first line of a voucher is never checked.
      {"34, first line", 2, 34, 1, 1000, {VoucherLine(2, 5, 0)}, false},
      {"34, lines before differ",
       2,
       34,
       3,
       1000,
       {VoucherLine(1, 500, 0), VoucherLine(2, 0, 400), VoucherLine(3, 1000, 1000)},
       true},
      {"34, lines before balance",
       2,
       34,
       3,
       1000,
       {VoucherLine(1, 500, 0), VoucherLine(2, 0, 500), VoucherLine(3, 1, 0)},
       false},
      {"34, the check stops at the line's number",
       2,
       34,
       2,
       1000,
       {VoucherLine(1, 0, 0), VoucherLine(2, 7, 0), VoucherLine(3, 9, 0)},
       false},
  };
  books().accounts[kCounter + 5] = {"取引先A", kIncome};
  books().accounts[kOwn + 3] = {"本店", kIncome};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StMOTOCHOINFO line = c.side == 1 ? Line(1, 1000, c.credit_yen, kCounter + 5, kOwn + 3)
                                     : Line(2, 1000, c.credit_yen, kOwn + 3, kCounter + 5);
    line.compound_marker = c.marker;
    line.line_number = c.line_number;
    books().vouchers[500] = c.before;
    books().ledger = {line};
    books().lookups.clear();
    books().journals_created = 0;
    // A fresh extractor: an extractor asks for each account once, and the count is per line.
    entries_.clear();
    LedgerExtractor extractor{library_, entries_, &progress_};
    ASSERT_TRUE(extractor.ExtractAccountLedger(false, company_, find_, Totals()));
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_STREQ(entries_[0].counter_account_name, c.sundry ? "諸口" : "買掛金");
    EXPECT_STREQ(entries_[0].counter_sub_account_name, c.sundry ? "" : "取引先A");
    EXPECT_STREQ(entries_[0].own_sub_account_name, "本店") << "the own sub-account is always named";
    EXPECT_EQ(books().lookups.size(), c.sundry ? 1u : 3u) << "a sundry counter is not looked up";
    EXPECT_LE(books().journals_created, 1) << "one journal cursor serves every check";
  }
  EXPECT_EQ(books().journal_data_id, "RUN1") << "the company record handed over";
  const platform::StFINDBLOCK& block = books().voucher_find.blocks[0];
  EXPECT_EQ(std::vector<int>({block.item, block.op, block.value_type, block.operand, block.link}),
            std::vector<int>({6, 1, 3, 500, 0}));
  EXPECT_EQ(books().journal_cursor_type, 2);
  EXPECT_TRUE(books().journal_display_null);
}

TEST_F(LedgerExtractionTest, TheVoucherCheckCountsTaxAndEndsWhenNoJournalCursor) {
  StMOTOCHOINFO line = Line(2, 1000, 1000);
  line.compound_marker = 34;
  line.line_number = 2;
  StSWKTINFO taxed = VoucherLine(1, 100, 110);
  taxed.debit_tax = 10 * kYen;
  books().vouchers[500] = {taxed};
  books().ledger = {Line(2, 50, 0), line, Line(2, 60, 0)};
  ASSERT_TRUE(Extract(Totals()));
  ASSERT_EQ(entries_.size(), 3u);
  EXPECT_STREQ(entries_[1].counter_account_name, "買掛金") << "110 with tax against 110";

  // A journal cursor that cannot be allocated ends the account; the entries before stay.
  books().refuse_journal = true;
  LedgerEntryList entries;
  LedgerExtractor without_progress(library_, entries, nullptr);
  EXPECT_FALSE(without_progress.ExtractAccountLedger(false, company_, find_, Totals()));
  EXPECT_EQ(entries.size(), 1u);
}

TEST_F(LedgerExtractionTest, LinesAgainstAnAccountLeftOutOfTheTotalsYieldNothing) {
  for (const std::uint32_t left_out : {0x08000000u, 0x08000080u}) {
    books().accounts[3330000] = {"仮勘定", left_out};
    books().ledger = {Line(2, 1000, 0, kOwn, 3330000), Line(2, 200, 0)};
    ASSERT_TRUE(Extract(Totals()));
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_EQ(entries_[0].balance, 200 * kYen) << "the left-out line did not count";
  }
}

TEST_F(LedgerExtractionTest, TaxAccountsTakeTheTaxOfOtherAccountsOnlyWithoutTaxIncluded) {
  // A sale of 5000 + 500 tax between two other accounts, and a line of the tax account.
  StMOTOCHOINFO between = Line(2, 5000, 0, 4440000, kCounter);
  between.debit_tax = 500 * kYen;
  StMOTOCHOINFO own = Line(2, 70, 0);
  own.debit_tax = 7 * kYen;
  books().ledger = {between, own};
  const StKAMOKUSUMINFO tax_account = Totals(1, kDebitTax);

  ASSERT_TRUE(Extract(tax_account, false));
  ASSERT_EQ(entries_.size(), 2u);
  EXPECT_EQ(entries_[0].amount, 500 * kYen);
  EXPECT_EQ(entries_[1].amount, 70 * kYen);
  EXPECT_EQ(entries_[1].balance, 570 * kYen);

  ASSERT_TRUE(Extract(tax_account, true));
  ASSERT_EQ(entries_.size(), 1u);
  EXPECT_EQ(entries_[0].amount, 77 * kYen);
  EXPECT_EQ(entries_[0].balance, 77 * kYen);
}

TEST_F(LedgerExtractionTest, AccountsWithoutALedgerAreSkipped) {
  books().ledger = {Line(2, 1000, 0)};
  std::vector<StKAMOKUSUMINFO> skipped(6, Totals());
  skipped[0].kind = 1;
  skipped[1].kind = 3;
  skipped[2].ledger_flag_1 = 1;
  skipped[3].ledger_flag_2 = 1;
  skipped[4].character = 0x08000000;
  skipped[5].character = 0x08000080;
  for (const StKAMOKUSUMINFO& totals : skipped) {
    EXPECT_TRUE(Extract(totals));
    EXPECT_TRUE(entries_.empty());
  }
  EXPECT_EQ(books().ledgers_created, 0) << "nothing was read";
}

TEST_F(LedgerExtractionTest, TheBalanceStartsFromTheBalanceBeforeTheRange) {
  struct Case {
    const char* name;
    std::uint32_t character;
    std::int16_t introduction, start;
    bool tax_included;
    std::int64_t opening_yen;
  } cases[] = {
      {"balance sheet, months 0-3", kBalanceSheet, 0, 4, false, 145},
      {"balance sheet, set 2", kBalanceSheet, 0, 4, true, 1450},
      {"income, from the first month", kIncome, 0, 1, false, 100},
      {"income, later month", kIncome, 0, 4, false, 0},
      {"income, up to the introduction month", kIncome, 5, 5, false, 100},
      {"income, after the introduction month", kIncome, 5, 6, false, 0},
  };
  StKAMOKUSUMINFO totals = Totals();
  const std::int64_t debits[] = {100, 10, 20, 30, 999}, credits[] = {0, 5, 5, 5, 999};
  for (int slot = 0; slot < 5; ++slot) {
    totals.debit_1[slot] = debits[slot] * kYen, totals.credit_1[slot] = credits[slot] * kYen;
    totals.debit_2[slot] = debits[slot] * 10 * kYen;
    totals.credit_2[slot] = credits[slot] * 10 * kYen;
  }
  books().ledger = {Line(2, 10, 0)};
  for (const Case& c : cases) {
    totals.character = c.character;
    company_.introduction_month = c.introduction;
    find_.blocks[0].operand = c.start;
    for (const std::uint8_t nature : {1, 0}) {
      SCOPED_TRACE(testing::Message() << c.name << ", nature " << int(nature));
      totals.debit_nature = nature;
      ASSERT_TRUE(Extract(totals, c.tax_included));
      ASSERT_EQ(entries_.size(), 1u);
      const std::int64_t balance = nature == 1 ? c.opening_yen + 10 : -c.opening_yen - 10;
      EXPECT_EQ(entries_[0].balance, balance * kYen);
    }
  }
}

TEST_F(LedgerExtractionTest, LinesWithoutAnAmountYieldNothing) {
  books().ledger = {Line(2, 0, 0), Line(3, 400, 400), Line(2, 1, 0)};
  ASSERT_TRUE(Extract(Totals()));
  ASSERT_EQ(entries_.size(), 1u);
  EXPECT_EQ(entries_[0].balance, 1 * kYen);
}

TEST_F(LedgerExtractionTest, NamesAreLookedUpByMainCodeOrFullKey) {
  std::string long_name = "x";
  for (int k = 0; k < 15; ++k) long_name += "あ";  // 31 bytes, no room for a terminator
  books().accounts[kCounter] = {long_name, kIncome};
  books().ledger = {Line(2, 10, 0), Line(2, 20, 0, kOwn, 100000000)};
  std::memset(books().ledger[0].description, 'd', 60);
  books().ledger[0].reserved_230[0] = 'Z';
  ASSERT_TRUE(Extract(Totals()));
  ASSERT_EQ(entries_.size(), 2u);
  EXPECT_EQ(std::string(entries_[0].counter_account_name), long_name.substr(0, 29))
      << "30 bytes would split a character";
  EXPECT_EQ(std::string(entries_[0].description), std::string(60, 'd'));
  EXPECT_STREQ(entries_[1].counter_account_name, "");
  // Main code 222 is asked as 2220000; main code 10000 is taken as a key as it stands.
  EXPECT_EQ(books().lookups, std::vector<std::int32_t>({2220000, 10000}));
}

TEST_F(LedgerExtractionTest, ReadsEveryLineCountedAndPulsesBeforeEachLine) {
  struct Case {
    std::int32_t count, available;
    bool complete;  // a cursor that ends before its count leaves lines out: a failure
    std::size_t entries;
    int moves;
  } cases[] = {{3, 5, true, 3, 3}, {5, 3, false, 3, 4}, {40'000, 40'000, true, 40'000, 40'000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    books().ledger.clear();
    books().generate = [&](int at) { return at < c.available ? Line(2, 1, 0) : StMOTOCHOINFO{}; };
    if (c.available < 10) books().ledger.assign(c.available, Line(2, 1, 0));
    books().count = c.count;
    books().moves = 0;
    const std::uint64_t pulses = progress_.state().pulses;
    EXPECT_EQ(Extract(Totals()), c.complete);
    EXPECT_EQ(entries_.size(), c.entries);
    EXPECT_EQ(books().moves, c.moves);
    EXPECT_EQ(progress_.state().pulses - pulses, static_cast<std::uint64_t>(c.moves));
  }
  EXPECT_EQ(books().finished, 2);
}

// Read in parts, an account gives the entries, balances and cursor calls of one reading;
// each account code is asked of the library once however many lines name it.
TEST_F(LedgerExtractionTest, PartsGiveWhatOneReadingGives) {
  books().ledger = {Line(2, 10, 0), Line(1, 0, 20), Line(2, 30, 0), Line(2, 0, 0), Line(2, 50, 0)};
  books().count = 5;
  ASSERT_TRUE(Extract(Totals()));
  const LedgerEntryList whole = entries_;
  std::vector<std::int32_t> asked = books().lookups;
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(std::adjacent_find(asked.begin(), asked.end()), asked.end()) << "a code asked twice";
  for (const std::size_t part : {1, 2, 3}) {
    SCOPED_TRACE("parts of " + std::to_string(part));
    entries_.clear();
    books().finished = 0;
    bool more = false;
    ASSERT_TRUE(extractor_.BeginAccountLedger(false, company_, find_, Totals(), &more));
    int parts = 0;
    while (more) {
      const std::size_t before = entries_.size();
      ASSERT_TRUE(extractor_.ContinueAccountLedger(part, &more));
      EXPECT_LE(entries_.size() - before, part);
      ++parts;
    }
    EXPECT_GE(parts, static_cast<int>((whole.size() + part - 1) / part));
    ASSERT_EQ(entries_.size(), whole.size());
    for (std::size_t k = 0; k < whole.size(); ++k) {
      EXPECT_EQ(entries_[k].amount, whole[k].amount);
      EXPECT_EQ(entries_[k].balance, whole[k].balance);
    }
    EXPECT_EQ(books().finished, 1) << "the cursor is finished once, after the last part";
  }
}

TEST_F(LedgerExtractionTest, CursorFailuresEndTheAccount) {
  books().ledger = {Line(2, 1, 0), Line(2, 2, 0)};
  books().count_result = kNotServed;
  EXPECT_FALSE(Extract(Totals()));
  EXPECT_TRUE(entries_.empty());

  books().count_result = 0;
  books().move_pos_result = kNotServed;
  EXPECT_FALSE(Extract(Totals()));
  EXPECT_TRUE(entries_.empty());

  books().move_pos_result = 0;
  books().fail_line = 1;
  books().fail_code = kNotServed;
  EXPECT_FALSE(Extract(Totals()));
  EXPECT_EQ(entries_.size(), 1u) << "the entries so far stay";
  EXPECT_EQ(books().finished, 0);
}

}  // namespace
}  // namespace vintor::supplements
