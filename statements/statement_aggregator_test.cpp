#include "statements/statement_aggregator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vintor::statements {
namespace {

using platform::StDATAINFO;
using platform::StFINDINFO;
using platform::StKAMOKUSUMINFO;

constexpr std::int64_t kYen = 10'000;

// What the account-sum cursor delivers and what was asked of it. The test owns it; the
// cursors the aggregator creates refer to it.
struct CursorScript {
  std::vector<StKAMOKUSUMINFO> records;
  std::function<StKAMOKUSUMINFO(int)> generate;  // used when records is empty
  std::int32_t count = -1;                       // -1: the number of records
  int sum_count_result = 0;
  int move_pos_result = 0;
  int fail_move_next_at = -1;  // 0-based call that answers move_next_failure
  int move_next_failure = 0;
  bool refuse_cursor = false;

  int created = 0;
  int alive = 0;
  platform::ClSetMgr* set_manager = nullptr;
  std::string data_id;
  platform::ClOptLink* opt_link = nullptr;
  std::vector<int> move_ready;  // sum type, department, display, department record null, past
  const StFINDINFO* find = nullptr;
  int move_next_calls = 0;
  int finished = 0;
};

class FakeCursor : public platform::ClRuleKamoku {
 public:
  explicit FakeCursor(CursorScript& script) : s_(script) { ++s_.created, ++s_.alive; }
  ~FakeCursor() override { --s_.alive; }
  int AttachSetMgr(platform::ClSetMgr* manager) override { return s_.set_manager = manager, 0; }
  int SetCurDataID(const char* id) override { return s_.data_id = id, 0; }
  int AttachOptLink(platform::ClOptLink* link) override { return s_.opt_link = link, 0; }
  int MoveReady(int base, int department, int display, const StFINDINFO* find,
                const void* department_record, int past) override {
    s_.move_ready = {base, department, display, department_record == nullptr, past};
    s_.find = find;
    return 0;
  }
  int GetSumCount(std::int32_t* count) override {
    *count = s_.count >= 0 ? s_.count : static_cast<std::int32_t>(s_.records.size());
    return s_.sum_count_result;
  }
  int SetMovePos(std::int32_t) override { return s_.move_pos_result; }
  int MoveNext(StKAMOKUSUMINFO* totals) override {
    const int call = s_.move_next_calls++;
    EXPECT_EQ(totals->key, 0) << "the record is zeroed before each read";
    if (call == s_.fail_move_next_at) return s_.move_next_failure;
    if (s_.generate) return *totals = s_.generate(call), 0;
    if (call >= static_cast<int>(s_.records.size())) return platform::kEndOfRecords;
    *totals = s_.records[call];
    return 0;
  }
  int MoveFinish() override { return ++s_.finished, 0; }

 private:
  CursorScript& s_;
};

// What the saved-statement store answers for one data kind.
struct SavedAnswer {
  int result = 0;
  std::string bytes;     // copied into a fresh buffer
  bool buffer = true;    // false: no buffer is handed out
  int length_delta = 0;  // the length answered is bytes.size() + length_delta
};

struct SavedStore {
  std::map<int, SavedAnswer> answers;  // kinds without an answer fail with 1 and no buffer
  bool refuse_reader = false;
  int readers_created = 0;
  int readers_alive = 0;
  std::vector<std::string> calls;  // of every reader, in order
  std::set<void*> outstanding;     // buffers handed out and not yet freed
  int handed_out = 0;
  int freed = 0;
};

class FakeSavedReader : public platform::ClSaveKessansho {
 public:
  explicit FakeSavedReader(SavedStore& store) : s_(store) {
    ++s_.readers_created, ++s_.readers_alive;
  }
  ~FakeSavedReader() override { --s_.readers_alive; }
  int AttachSetMgr(platform::ClSetMgr* manager) override {
    s_.calls.push_back(manager ? "AttachSetMgr" : "AttachSetMgr(null)");
    return 0;
  }
  int SetCurDataID(const char* id) override {
    s_.calls.push_back(std::string("SetCurDataID ") + id);
    return 0;
  }
  int AttachOptLink(platform::ClOptLink* link) override {
    s_.calls.push_back(link ? "AttachOptLink" : "AttachOptLink(null)");
    return 0;
  }
  int GetDataType02(int kind, char** buffer, std::int32_t* length) override {
    s_.calls.push_back("GetDataType02 " + std::to_string(kind));
    const auto found = s_.answers.find(kind);
    if (found == s_.answers.end()) return 1;
    const SavedAnswer& answer = found->second;
    if (answer.buffer) {
      // Deliberately without a terminating NUL, and with garbage after the text.
      *buffer = static_cast<char*>(std::malloc(answer.bytes.size() + 8));
      std::memcpy(*buffer, answer.bytes.data(), answer.bytes.size());
      std::memset(*buffer + answer.bytes.size(), '9', 8);
      s_.outstanding.insert(*buffer);
      ++s_.handed_out;
    }
    *length = static_cast<std::int32_t>(answer.bytes.size()) + answer.length_delta;
    return answer.result;
  }

 private:
  SavedStore& s_;
};

class FakeCompanies : public platform::ClSetData {
 public:
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char*) override { return 0; }
  int GetDatCursor(platform::SetCursor*) override { return 1; }
  int ReadyDat(platform::SetCursor, int) override { return 1; }
  int WalkDat(StDATAINFO*, platform::SetCursor) override { return 1; }
  int ReleaseDatCursor(platform::SetCursor) override { return 0; }
  const StDATAINFO* GetSelectedInfo() override { return selected; }
  int GetAccPeriod(platform::ClAccPeriod*) override { return 1; }
  const StDATAINFO* selected = nullptr;
};

class FakeSetManager : public platform::ClSetMgr {
 public:
  platform::ClSetBase* GetSetObject(int, int) override { return nullptr; }
};

class FakeDataManager : public platform::ClDataMgr {
 public:
  platform::ClSetMgr* GetSetMgr() override { return &set_manager; }
  platform::ClSetBase* GetSetObject(int kind, int mode) override {
    return kind == platform::kSetCompanyData && mode == 1 ? &companies : nullptr;
  }
  platform::ClSysUser* GetSysUserObject() override { return nullptr; }
  FakeSetManager set_manager;
  FakeCompanies companies;
};

class FakeLinkManager : public platform::ClLinkMgr {
 public:
  platform::ClOptLink* GetOptLink() override { return &link; }
  platform::ClOptLink link;
};

// Only what the aggregation uses; anything else would be a fault of the code under test.
class FakeLibrary : public platform::AccountingLibrary {
 public:
  platform::ClAccConnect& Connection() override { std::abort(); }
  platform::ClDataMgr& DataManager() override { return data; }
  platform::ClLinkMgr& LinkManager() override { return links; }
  platform::ClMsgMgr& MessageManager() override { std::abort(); }
  platform::ClFileMgr& FileManager() override { std::abort(); }
  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override { std::abort(); }
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override {
    if (script.refuse_cursor) return nullptr;
    return std::make_unique<FakeCursor>(script);
  }
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override { std::abort(); }
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override { std::abort(); }
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override {
    if (store.refuse_reader) return nullptr;
    return std::make_unique<FakeSavedReader>(store);
  }
  void TaskMemFree(void* buffer) override {
    ++store.freed;
    EXPECT_EQ(store.outstanding.erase(buffer), 1u) << "freed once, and only what was handed out";
    std::free(buffer);
  }

  FakeDataManager data;
  FakeLinkManager links;
  CursorScript script;
  SavedStore store;
};

class RecordingExtractor : public AccountLedgerExtractor {
 public:
  bool ExtractAccountLedger(bool tax_included, const StDATAINFO& company, const StFINDINFO& find,
                            const StKAMOKUSUMINFO& totals) override {
    keys.push_back(totals.key);
    tax_flags.push_back(tax_included);
    companies.push_back(&company);
    finds.push_back(&find);
    if (progress) captions.push_back(progress->state().caption_percent);
    return keys.size() != fail_at;
  }
  std::size_t fail_at = 0;  // the extraction of this account (counting from 1) fails
  std::vector<std::int32_t> keys;
  std::vector<bool> tax_flags;
  std::vector<const StDATAINFO*> companies;
  std::vector<const StFINDINFO*> finds;
  const ui::ProgressWindow* progress = nullptr;
  std::vector<int> captions;
};

// An account with amounts in yen per slot from slot 0.
// debit_nature 1 is debit-natured, anything else credit-natured.
StKAMOKUSUMINFO Account(std::int32_t key, std::uint32_t character, std::uint8_t debit_nature,
                        std::initializer_list<std::int64_t> debits,
                        std::initializer_list<std::int64_t> credits, std::int8_t kind = 0) {
  StKAMOKUSUMINFO totals{};
  totals.key = key;
  totals.character = character;
  totals.debit_nature = debit_nature;
  totals.kind = kind;
  std::snprintf(totals.formal_name, sizeof totals.formal_name, "A%d", key);
  int slot = 0;
  for (std::int64_t yen : debits) totals.debit_1[slot++] = yen * kYen;
  slot = 0;
  for (std::int64_t yen : credits) totals.credit_1[slot++] = yen * kYen;
  return totals;
}

// The condition the run builds: months start..end, then a block for each closing period
// (18 year-end, 15 interim) in the order given.
StFINDINFO Months(int start, int end, std::initializer_list<int> closing_periods = {}) {
  StFINDINFO find{};
  find.blocks[0] = {platform::kFindItemMonth, {}, platform::kFindOpFrom, {}, 2, {}, start, {},
                    platform::kFindLinkAnd,   {}};
  find.blocks[1] = {platform::kFindItemMonth, {}, platform::kFindOpTo, {}, 2, {}, end, {},
                    platform::kFindLinkLast,  {}};
  std::size_t block = 2;
  for (const int period : closing_periods) {
    find.blocks[block - 1].link = platform::kFindLinkOr;
    find.blocks[block++] = {
        platform::kFindItemMonth, {}, platform::kFindOpEqual, {}, 2, {}, period, {},
        platform::kFindLinkLast,  {}};
  }
  return find;
}

class StatementAggregatorTest : public testing::Test {
 protected:
  StatementAggregatorTest() {
    std::strcpy(selected_.data_id, "SELECTED-7");
    library_.data.companies.selected = &selected_;
  }
  ~StatementAggregatorTest() override {
    EXPECT_TRUE(store_.outstanding.empty()) << "every buffer the library hands out is freed";
  }

  // One run of a fresh aggregator over the scripted records.
  bool Run(const StFINDINFO& find, bool tax_included = false) {
    script_.move_next_calls = 0;
    StatementAggregator aggregator(library_);
    aggregator.set_progress_window(&progress_);
    aggregator.set_line_list(&lines_);
    aggregator.set_ledger_requested(ledger_requested_);
    aggregator.set_ledger_extractor(&extractor_);
    return aggregator.Run(tax_included, find, company_);
  }
  const StatementLine& Line(std::size_t index) {
    EXPECT_LT(index, lines_.size());
    return *(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  }

  FakeLibrary library_;
  CursorScript& script_ = library_.script;
  SavedStore& store_ = library_.store;
  StDATAINFO selected_{};
  StDATAINFO company_{};
  StatementLineList lines_;
  ui::ProgressWindow progress_;
  bool ledger_requested_ = false;
  RecordingExtractor extractor_;
};

TEST_F(StatementAggregatorTest, TotalsOneAccountOverTheRange) {
  const std::initializer_list<std::int64_t> none = {};
  constexpr std::uint32_t kBs = 0x80880100, kIs = 0x40882100;
  struct Case {
    const char* what;
    StKAMOKUSUMINFO totals;
    StFINDINFO find;
    std::int16_t introduction_month;
    std::int32_t interim;
    std::int64_t opening, change, closing;  // yen
  } const cases[] = {
      {"debit balance sheet, 4-6",
       Account(1, kBs, true, {100, 10, 20, 30, 40, 50, 60}, {0, 5, 5, 5, 5, 5, 5}), Months(4, 6), 0,
       0, 145, 135, 280},
      {"credit income statement, 4-6",
       Account(2, kIs, false, {0, 0, 0, 0, 5, 5}, {0, 0, 0, 0, 100, 100, 100}), Months(4, 6), 0, 0,
       0, 290, 290},
      {"income statement 1-12 keeps slot 0", Account(3, kIs, false, none, {50, 10, 10}),
       Months(1, 12), 0, 0, 50, 20, 70},
      {"income statement 4-12 drops slot 0", Account(3, kIs, false, none, {50, 10, 10, 10, 10}),
       Months(4, 12), 0, 0, 0, 10, 10},
      {"balance sheet 4-12 takes slots 0-3", Account(4, kBs, true, {50, 10, 10, 10, 10}, none),
       Months(4, 12), 0, 0, 80, 10, 90},
      {"introduced in 5, range 5-12", Account(5, kIs, true, {50, 0, 0, 0, 0, 7}, none),
       Months(5, 12), 5, 0, 50, 7, 57},
      {"introduced in 5, range 6-12", Account(5, kIs, true, {50, 0, 0, 0, 0, 7, 9}, none),
       Months(6, 12), 5, 0, 0, 9, 9},
      {"year-end closing block adds slot 13",
       Account(6, kIs, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1000, 2000}, none),
       Months(12, 12, {18}), 0, 0, 0, 1001, 1001},
      {"an interim block adds slot 14, not 13",
       Account(6, kIs, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1000, 2000}, none),
       Months(12, 12, {15}), 0, 0, 0, 2001, 2001},
      {"interim company ending in 6 adds slot 14",
       Account(7, kIs, true, {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 1000, 2000}, none),
       Months(6, 6, {15}), 0, 1, 0, 2003, 2003},
      {"six-month year: interim in the third block, year-end in the fourth",
       Account(7, kIs, true, {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 1000, 2000}, none),
       Months(1, 6, {15, 18}), 0, 1, 0, 3003, 3003},
      {"interim company ending in 12 does not",
       Account(7, kIs, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1000, 2000}, none),
       Months(12, 12), 0, 1, 0, 3, 3},
      {"no interim closing, ending in 6",
       Account(7, kIs, true, {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 1000, 2000}, none),
       Months(6, 6), 0, 0, 0, 3, 3},
      {"debit-nature byte 2 is credit-natured", Account(8, kIs, 2, {0, 4}, {0, 10}), Months(1, 1),
       0, 0, 0, 6, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    script_.records = {c.totals};
    company_.introduction_month = c.introduction_month;
    company_.interim_settlement = c.interim;
    lines_.Clear();
    ASSERT_TRUE(Run(c.find));
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(Line(0).opening, c.opening * kYen);
    EXPECT_EQ(Line(0).change, c.change * kYen);
    EXPECT_EQ(Line(0).closing, c.closing * kYen);
  }
}

TEST_F(StatementAggregatorTest, TaxIncludedUsesTheSecondSet) {
  StKAMOKUSUMINFO totals = Account(1, 0x40882100, true, {0, 10}, {0, 1});
  totals.debit_2[1] = 11 * kYen;
  totals.credit_2[1] = 3 * kYen;
  script_.records = {totals};
  ASSERT_TRUE(Run(Months(1, 1), /*tax_included=*/true));
  EXPECT_EQ(Line(0).closing, 8 * kYen);
}

TEST_F(StatementAggregatorTest, CarriesTheEarlierNetAssetsIntoTheLastNetIncomeLine) {
  struct Case {
    std::int16_t introduction_month;
    int start;
    bool carried;
  } const cases[] = {{0, 1, false}, {0, 4, true}, {5, 5, false}, {5, 6, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "introduced " << c.introduction_month << ", from " << c.start);
    script_.records = {
        Account(1, StatementAggregator::kCarryOverSource, false, {}, {900}),
        Account(2, StatementAggregator::kCarryOverTarget, false, {}, {0, 1, 1, 1, 1, 1, 1, 1}),
        Account(3, StatementAggregator::kCarryOverSource, false, {}, {400, 1}),  // replaces 900
        Account(4, StatementAggregator::kCarryOverTarget, false, {}, {0, 2, 2, 2, 2, 2, 2, 2}),
        Account(5, 0x40200040, false, {}, {0, 3, 3, 3, 3, 3, 3, 3}),
    };
    company_.introduction_month = c.introduction_month;
    lines_.Clear();
    ASSERT_TRUE(Run(Months(c.start, 7)));
    ASSERT_EQ(lines_.size(), 5u);
    const std::int64_t months = 8 - c.start;
    const std::int64_t carry = c.carried ? 401 : 0;  // the later account's slots 0-3
    EXPECT_EQ(Line(1).closing, months * kYen);       // the earlier target keeps its balance
    EXPECT_EQ(Line(3).closing, (2 * months + carry) * kYen);
    EXPECT_EQ(Line(3).change, 2 * months * kYen);  // opening and change stay as totalled
    EXPECT_EQ(Line(3).opening, 0);
    EXPECT_EQ(Line(4).closing, 3 * months * kYen);
  }
}

TEST_F(StatementAggregatorTest, CopiesTheAccountIntoItsLine) {
  StKAMOKUSUMINFO totals = Account(1230005, 0x80880100, true, {7}, {}, 3);
  // 29 bytes of text, then a double-byte character across bytes 29-30, no terminator: the
  // character does not fit the 30-byte field and is left out whole.
  std::memset(totals.formal_name, 'a', sizeof totals.formal_name);
  totals.formal_name[29] = '\x95';
  totals.formal_name[30] = '\x5C';
  std::memcpy(totals.statement_name, "0123456789abcdefghi", 19);  // the whole field is text
  StKAMOKUSUMINFO negative_kind = Account(2, 0x80880100, true, {}, {}, -2);
  script_.records = {totals, negative_kind};
  ASSERT_TRUE(Run(Months(1, 12)));
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(Line(0).key, 1230005);
  EXPECT_EQ(std::string(Line(0).formal_name), std::string(29, 'a'));
  EXPECT_EQ(std::string(Line(0).statement_name), "0123456789abcdefghi");
  EXPECT_EQ(Line(0).character, 0x80880100u);
  EXPECT_EQ(Line(0).kind, 3);
  EXPECT_EQ(Line(1).kind, -2);
}

TEST_F(StatementAggregatorTest, HandsEveryAccountToTheLedgerRightAfterItsLine) {
  ledger_requested_ = true;
  script_.records = {Account(1, 0x80880100, true, {1}, {}), Account(2, 0x80880100, true, {}, {}, 1),
                     Account(3, 0x80880100, true, {1}, {})};
  ASSERT_TRUE(Run(Months(1, 12), /*tax_included=*/true));
  EXPECT_EQ(lines_.size(), 2u);  // kind 1 gets no line
  EXPECT_EQ(extractor_.keys, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(extractor_.tax_flags, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(extractor_.companies.front(), &company_);
  EXPECT_EQ(extractor_.finds.front(), script_.find);

  // Without the ledger option nobody is asked, even with an extractor set.
  ledger_requested_ = false;
  extractor_.keys.clear();
  lines_.Clear();
  ASSERT_TRUE(Run(Months(1, 12)));
  EXPECT_EQ(lines_.size(), 2u);
  EXPECT_TRUE(extractor_.keys.empty());
}

TEST_F(StatementAggregatorTest, PreparesTheCursorForTheCompanyOfTheRun) {
  std::strcpy(company_.data_id, "RUN-RECORD");
  script_.records = {Account(1, 0x80880100, true, {1}, {})};
  const StFINDINFO find = Months(4, 9);
  ASSERT_TRUE(Run(find));
  EXPECT_EQ(script_.set_manager, &library_.data.set_manager);
  EXPECT_EQ(script_.data_id, "RUN-RECORD") << "the company passed, not the one selected";
  EXPECT_EQ(script_.opt_link, &library_.links.link);
  EXPECT_EQ(script_.move_ready, (std::vector<int>{1, 0, 0, 1, 0}));
  EXPECT_EQ(script_.find, &find);
  EXPECT_EQ(script_.finished, 1);
  EXPECT_EQ(script_.alive, 0);  // deleted after a successful run
}

TEST_F(StatementAggregatorTest, MovesTheProgressDisplay) {
  struct Case {
    const char* what;
    bool ledger;
    int accounts;
    double final_position;
    int caption_in_loop;  // -1: not observed
  } const cases[] = {
      {"no ledger", false, 3, 5000, -1},
      {"no accounts", false, 0, 5000, -1},
      {"ledger, 7 accounts of 1000 each", true, 7, 8400, -1},
      {"ledger, 14 000 accounts: step 0", true, 14'000, 1400, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLibrary library;
    library.data.companies.selected = &selected_;
    library.script.count = c.accounts;
    library.script.generate = [](int i) { return Account(i + 1, 0x80880100, true, {1}, {}); };
    ui::ProgressWindow progress;
    RecordingExtractor extractor;
    extractor.progress = &progress;
    StatementLineList lines;
    StatementAggregator aggregator(library);
    aggregator.set_progress_window(&progress);
    aggregator.set_line_list(&lines);
    aggregator.set_ledger_requested(c.ledger);
    aggregator.set_ledger_extractor(&extractor);
    ASSERT_TRUE(aggregator.Run(false, Months(1, 12), company_));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(c.accounts));
    EXPECT_EQ(aggregator.progress_position(), c.final_position);
    EXPECT_EQ(progress.state().caption_percent, static_cast<int>(c.final_position) / 100);
    EXPECT_GE(progress.state().pulses, static_cast<std::uint64_t>(c.accounts));
    if (c.caption_in_loop >= 0) {
      ASSERT_FALSE(extractor.captions.empty());
      EXPECT_EQ(extractor.captions.front(), c.caption_in_loop);
      EXPECT_EQ(extractor.captions.back(), c.caption_in_loop);
    }
  }
}

TEST_F(StatementAggregatorTest, ReadsEveryAccountTheLibraryCounts) {
  script_.count = 40'000;
  script_.generate = [](int i) { return Account(i + 1, 0x80880100, true, {1}, {}); };
  ASSERT_TRUE(Run(Months(1, 12)));
  EXPECT_EQ(script_.move_next_calls, 40'000);
  EXPECT_EQ(lines_.size(), 40'000u);
}

TEST_F(StatementAggregatorTest, FailsOnLibraryErrorsKeepingTheLinesSoFar) {
  struct Case {
    const char* what;
    std::function<void(FakeLibrary&)> arrange;
    bool succeeds;
    std::size_t lines;
    int cursors_alive;
    std::size_t ledger_fails_at = 0;
  } const cases[] = {
      {"no cursor", [](FakeLibrary& l) { l.script.refuse_cursor = true; }, false, 0, 0},
      {"count fails", [](FakeLibrary& l) { l.script.sum_count_result = 3; }, false, 0, 1},
      {"positioning fails", [](FakeLibrary& l) { l.script.move_pos_result = 3; }, false, 0, 1},
      {"third read fails",
       [](FakeLibrary& l) { l.script.fail_move_next_at = 2, l.script.move_next_failure = 9; },
       false, 2, 1},
      {"the ledger of the second account cannot be extracted", [](FakeLibrary&) {}, false, 2, 1, 2},
      {"third read ends the records before the count",
       [](FakeLibrary& l) {
         l.script.fail_move_next_at = 2, l.script.move_next_failure = platform::kEndOfRecords;
       },
       false, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLibrary library;
    library.data.companies.selected = &selected_;
    library.script.records.assign(4, Account(1, 0x80880100, true, {1}, {}));
    c.arrange(library);
    StatementLineList lines;
    RecordingExtractor extractor;
    extractor.fail_at = c.ledger_fails_at;
    {
      StatementAggregator aggregator(library);
      aggregator.set_line_list(&lines);
      aggregator.set_ledger_requested(true);
      aggregator.set_ledger_extractor(&extractor);
      EXPECT_EQ(aggregator.Run(false, Months(1, 12), company_), c.succeeds);
      EXPECT_EQ(lines.size(), c.lines);
      EXPECT_EQ(library.script.alive, c.cursors_alive);  // a failed run keeps its cursor
      EXPECT_EQ(library.script.finished, c.succeeds ? 1 : 0);
    }
    EXPECT_EQ(library.script.alive, 0);
  }
}

TEST_F(StatementAggregatorTest, AClosingBalanceOfTenToTheFourteenYenStopsTheRun) {
  // Scaled amounts in the opening slot and in April; the extremes of int64 as well, which a
  // damaged store could hand over, never wrap into a small balance.
  const std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const std::pair<std::int64_t, std::int64_t> cases[] = {
      {900'000'000'000'000'000, 100'000'000'000'000'000},
      {0, kMax},
      {kMax, kMax},
      {0, kMin},
      {kMin, 1},
  };
  for (const auto& [opening, april] : cases) {
    SCOPED_TRACE(std::to_string(opening) + " + " + std::to_string(april));
    lines_.Clear();
    StKAMOKUSUMINFO totals = Account(1, 0x80880100, true, {}, {});
    totals.debit_1[0] = opening;
    totals.debit_1[4] = april;
    script_.records = {Account(2, 0x80880100, true, {1}, {}), totals};
    EXPECT_THROW(Run(Months(4, 6)), FixedAmountOverflow);
    EXPECT_EQ(lines_.size(), 1u);
  }
}

// The notes queries: how they reach the saved texts through the library. The reading rules
// themselves are tested with saved_notes.
TEST_F(StatementAggregatorTest, EachQueryReadsItsKindThroughANewReader) {
  store_.answers[platform::kSavedNotesMode] = {0, "InputMode=1\r\n[Note_01]\r\nDisp=1\r\n"};
  store_.answers[platform::kSavedNotesSettings] = {0, "Note=1\r\n"};
  store_.answers[platform::kSavedNotesText] = {0, "<Notes>\r\n</Notes>\r\n"};
  {
    StatementAggregator aggregator(library_);
    aggregator.set_company(selected_);
    EXPECT_TRUE(aggregator.ReadNotesMode());
    EXPECT_TRUE(aggregator.ReadNotesEntered());
    std::uint8_t flags[kNoteDisplayFlagCount] = {};
    EXPECT_TRUE(aggregator.ReadDisplayFlags(flags));
    EXPECT_EQ(flags[0], 1);
    std::string text;
    EXPECT_TRUE(aggregator.ReadNoteText(&text));
    EXPECT_EQ(text, "<Notes>\r\n</Notes>\r\n");
    EXPECT_EQ(store_.readers_alive, 1) << "each reader replaces the one before";
  }
  EXPECT_EQ(store_.readers_alive, 0) << "the last reader goes with the aggregator";
  EXPECT_EQ(store_.readers_created, 4);
  EXPECT_EQ(store_.handed_out, 4);
  EXPECT_EQ(store_.freed, 4);

  std::vector<std::string> expected;
  for (int kind : {100, 0, 100, 1000}) {
    expected.insert(expected.end(), {"AttachSetMgr", "SetCurDataID SELECTED-7", "AttachOptLink",
                                     "GetDataType02 " + std::to_string(kind)});
  }
  EXPECT_EQ(store_.calls, expected);
}

TEST_F(StatementAggregatorTest, AnUnreadableTextAnswersFalseAndItsBufferIsFreed) {
  struct Case {
    const char* what;
    SavedAnswer answer;
    int freed;
  } const cases[] = {
      {"error with a buffer", {1, "InputMode=1\r\nNote=1\r\n[Note_01]\r\nDisp=1\r\n"}, 1},
      {"error without a buffer", {5000, "", false}, 0},
      {"success without a buffer", {0, "", false}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store_.freed = 0;
    for (int kind : {0, 100, 1000}) store_.answers[kind] = c.answer;
    StatementAggregator aggregator(library_);
    aggregator.set_company(selected_);
    EXPECT_FALSE(aggregator.ReadNotesMode());
    EXPECT_FALSE(aggregator.ReadNotesEntered());
    std::uint8_t flags[kNoteDisplayFlagCount] = {};
    EXPECT_FALSE(aggregator.ReadDisplayFlags(flags));
    EXPECT_EQ(flags[0], 0);
    std::string text = "untouched";
    EXPECT_FALSE(aggregator.ReadNoteText(&text));
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(store_.freed, 4 * c.freed);
  }
}

TEST_F(StatementAggregatorTest, TakesTheTextByItsLengthNotByATerminator) {
  store_.answers[platform::kSavedNotesMode] = {0, "InputMode=1", true, -1};  // "InputMode="
  store_.answers[platform::kSavedNotesSettings] = {0, "Note=1"};             // "9" follows
  store_.answers[platform::kSavedNotesText] = {0, std::string("A\0B", 3)};
  StatementAggregator aggregator(library_);
  aggregator.set_company(selected_);
  EXPECT_FALSE(aggregator.ReadNotesMode());
  EXPECT_TRUE(aggregator.ReadNotesEntered());
  std::string text;
  EXPECT_TRUE(aggregator.ReadNoteText(&text));
  EXPECT_EQ(text, std::string("A\0B", 3));
  EXPECT_EQ(store_.freed, 3);
}

TEST_F(StatementAggregatorTest, AnswersFalseWithoutACompanyOrAReader) {
  store_.answers[platform::kSavedNotesMode] = {0, "InputMode=1"};
  {
    StatementAggregator aggregator(library_);
    EXPECT_FALSE(aggregator.ReadNotesMode());
    EXPECT_EQ(store_.readers_created, 0);
  }
  {
    store_.refuse_reader = true;
    StatementAggregator aggregator(library_);
    aggregator.set_company(selected_);
    EXPECT_FALSE(aggregator.ReadNotesMode());
  }
  EXPECT_EQ(store_.handed_out, 0);
}

}  // namespace
}  // namespace vintor::statements
