#include "app/era_date_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vintor::app {
namespace {

using platform::StGENGOINFO;

constexpr int kNotOpen = 7001;

StGENGOINFO Era(std::int32_t id, std::int32_t first_day, const char* name) {
  StGENGOINFO era{};
  era.id = id;
  era.first_day = first_day;
  std::memcpy(era.name, name, std::min(std::strlen(name), sizeof era.name));
  return era;
}

// An era table with faults to inject, counting the cursors it hands out.
class FakeEraSet : public platform::ClSetGengo {
 public:
  int AttachSetMgr(platform::ClSetMgr*) override { return 0; }
  int SetCurDataID(const char*) override { return 0; }
  int GetCursor(platform::SetCursor* cursor) override {
    if (get_cursor_code != 0) return get_cursor_code;
    ++open_cursors;
    *cursor = &position;
    return 0;
  }
  int Ready(platform::SetCursor) override {
    position = 0;
    return ready_code;
  }
  int Walk(StGENGOINFO* era, platform::SetCursor) override {
    if (position == walk_fails_at) return walk_code;
    if (position >= eras.size()) return platform::kEndOfRecords;
    *era = eras[position++];
    return 0;
  }
  int ReleaseCursor(platform::SetCursor) override { return --open_cursors, 0; }

  std::vector<StGENGOINFO> eras;
  std::size_t position = 0;
  int get_cursor_code = 0;
  int ready_code = 0;
  std::size_t walk_fails_at = static_cast<std::size_t>(-1);
  int walk_code = 0;
  int open_cursors = 0;
};

class FakeSetManager : public platform::ClSetMgr {
 public:
  platform::ClSetBase* GetSetObject(int kind, int mode) override {
    return kind == platform::kSetEras && mode == 0 && has_eras ? &eras : nullptr;
  }
  FakeEraSet eras;
  bool has_eras = true;
};

class FakeDataManager : public platform::ClDataMgr {
 public:
  platform::ClSetMgr* GetSetMgr() override { return &sets; }
  platform::ClSetBase* GetSetObject(int, int) override { return nullptr; }
  platform::ClSysUser* GetSysUserObject() override { return nullptr; }
  FakeSetManager sets;
};

// Calls every code but 0 and 5000 fatal, as the books do.
class RecordingMessages : public platform::ClMsgMgr {
 public:
  struct Check {
    int code, mode, show;
    platform::WindowHandle owner;
  };
  bool CheckFatalErrorWithMsg(int code, int mode, int show, platform::WindowHandle owner) override {
    checks.push_back({code, mode, show, owner});
    return code != 0 && code != platform::kEndOfRecords;
  }
  void SetLastError(int code, const char* unit, int location) override {
    errors.push_back(code);
    last_unit = unit;
    last_location = location;
  }
  std::vector<Check> checks;
  std::vector<int> errors;
  std::string last_unit;
  int last_location = 0;
};

class FakeLibrary : public platform::AccountingLibrary {
 public:
  platform::ClAccConnect& Connection() override { std::abort(); }
  platform::ClDataMgr& DataManager() override { return data; }
  platform::ClLinkMgr& LinkManager() override { std::abort(); }
  platform::ClMsgMgr& MessageManager() override { return messages; }
  platform::ClFileMgr& FileManager() override { std::abort(); }
  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override { std::abort(); }
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override { std::abort(); }
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override { std::abort(); }
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override { std::abort(); }
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override { std::abort(); }
  void TaskMemFree(void*) override { std::abort(); }

  FakeEraSet& eras() { return data.sets.eras; }
  FakeDataManager data;
  RecordingMessages messages;
};

class EraDateTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.eras().eras = {Era(1, 20000101, "甲和"), Era(2, 20100701, "乙和")};
  }

  FakeLibrary library_;
  EraDateFormatter formatter_{library_};
};

struct DateCase {
  std::int32_t date;
  const char* text;
  std::int32_t era_id;  // 0: no era
  long era_year;
};

TEST_F(EraDateTextTest, FormatsDatesByTheEraThatHoldsThem) {
  const DateCase cases[] = {
      {20000101, "甲和1年1月1日", 1, 1},
      {20100630, "甲和11年6月30日", 1, 11},  // up to the day before the next era
      {20100701, "乙和1年7月1日", 2, 1},
      {20150401, "乙和6年4月1日", 2, 6},  // no leading zeros
      {99991231, "乙和7990年12月31日", 2, 7990},
      {19991231, "", 0, 0},  // before the first era
      {99991232, "", 0, 0},
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(formatter_.EraDateText(c.date), c.text);
    StGENGOINFO era;
    std::memset(&era, 0xAB, sizeof era);
    long era_year = -5;
    const int found = formatter_.FindEra(c.date, &era, &era_year);
    EXPECT_EQ(found, c.era_id != 0 ? 0 : -1);
    EXPECT_EQ(era.id, c.era_id) << "the record is zero when no era is found";
    if (c.era_id != 0) {
      EXPECT_EQ(era_year, c.era_year);
    }
    EXPECT_EQ(library_.eras().open_cursors, 0) << "every cursor is released";
  }
  EXPECT_TRUE(library_.messages.errors.empty()) << "no era is not a failure";
}

TEST_F(EraDateTextTest, TheEraYearMayBeLeftOut) {
  StGENGOINFO era;
  EXPECT_EQ(formatter_.FindEra(20150401, &era, nullptr), 0);
  EXPECT_EQ(era.first_day, 20100701);
}

TEST_F(EraDateTextTest, ReadsTheTableOnEveryCall) {
  EXPECT_EQ(formatter_.EraDateText(20200501), "乙和11年5月1日");
  library_.eras().eras.push_back(Era(3, 20190501, "丙和"));
  EXPECT_EQ(formatter_.EraDateText(20200501), "丙和2年5月1日");
  library_.eras().eras.clear();
  EXPECT_EQ(formatter_.EraDateText(20200501), "");
  EXPECT_TRUE(library_.messages.errors.empty());
}

TEST_F(EraDateTextTest, WithoutTheEraSetThereIsNoText) {
  library_.data.sets.has_eras = false;
  EXPECT_EQ(formatter_.EraDateText(20150401), "");
}

struct FaultCase {
  const char* name;
  int get_cursor_code, ready_code;
  std::size_t walk_fails_at;
  int walk_code;
};

TEST_F(EraDateTextTest, LibraryFailuresGiveNoTextAndAreRecorded) {
  const FaultCase cases[] = {
      {"cursor", kNotOpen, 0, 99, 0},
      {"ready", 0, kNotOpen, 99, 0},
      {"first walk", 0, 0, 0, kNotOpen},
      {"second walk", 0, 0, 1, kNotOpen},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEraSet& eras = library_.eras();
    eras.get_cursor_code = c.get_cursor_code;
    eras.ready_code = c.ready_code;
    eras.walk_fails_at = c.walk_fails_at;
    eras.walk_code = c.walk_code;
    library_.messages = RecordingMessages();

    EXPECT_EQ(formatter_.EraDateText(20150401), "");
    EXPECT_TRUE(formatter_.library_failed()) << "a failure is not a date without an era";
    EXPECT_EQ(eras.open_cursors, 0) << "a cursor that was opened is released";
    ASSERT_EQ(library_.messages.errors, std::vector<int>{kNotOpen});
    EXPECT_EQ(library_.messages.last_unit, EraDateFormatter::kSourceUnit);
    EXPECT_GT(library_.messages.last_location, 0);
    const RecordingMessages::Check& check = library_.messages.checks.back();
    EXPECT_EQ(check.code, kNotOpen);
    EXPECT_EQ(check.mode, 0);
    EXPECT_EQ(check.show, 1) << "the library shows its message for a fatal code";
    EXPECT_EQ(check.owner, 0u);
  }
}

TEST_F(EraDateTextTest, TheEndOfRecordsEndsTheTable) {
  // The end of the records is the table's end, not a failure: the era read last is the era.
  library_.eras().walk_fails_at = 1;
  library_.eras().walk_code = platform::kEndOfRecords;
  EXPECT_EQ(formatter_.EraDateText(20150401), "甲和16年4月1日");
  EXPECT_TRUE(library_.messages.errors.empty());
  EXPECT_FALSE(formatter_.library_failed());
}

TEST_F(EraDateTextTest, BoundedTextNeverSplitsACharacter) {
  char buffer[7];
  std::memset(buffer, 'x', sizeof buffer);
  // "乙和6年" needs 7 bytes of text; 6 fit, and 年 is not cut in half.
  EXPECT_EQ(formatter_.FormatEraDate(20150401, buffer), 5u);
  EXPECT_STREQ(buffer, "乙和6");
}

TEST_F(EraDateTextTest, AFullLengthEraNameIsRead) {
  // Sixteen bytes of name leave no room for a terminator in the record.
  library_.eras().eras = {Era(1, 20000101, "一二三四五六七八")};
  EXPECT_EQ(formatter_.EraDateText(20000102), "一二三四五六七八1年1月2日");
}

}  // namespace
}  // namespace vintor::app
