// A test aid: the part of the accounting library that the conditions dialog uses (the
// period object and the product's folders), behaving as the library does. Tests of the
// dialog and of its front-ends build on it; every other part of the library is absent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/library.h"

namespace vintor::conditions {

// The period arithmetic of the library. The closing day is 0 when the period's last day
// is the last day of its month (month-end closing), else that day's number; a date belongs
// to its own calendar month when the closing is month-end or its day is not after the
// closing day, else to the next month.
class FakeAccPeriod : public platform::ClAccPeriod {
 public:
  int SetPeriod(std::int32_t first_day, std::int32_t last_day) override;
  int GetClosingDayByEndDate(std::int32_t last_day, int mode, std::int32_t* closing_day) override;
  int SetClosingDay(std::int32_t closing_day) override;
  int GetAMonthByDate(std::int32_t date, std::int32_t* month, int mode) override;
  // Not used by the dialog: always fails.
  int GetPeriodByMonthKind(int month_kind, std::int32_t* first_day,
                           std::int32_t* last_day) override;

 private:
  std::int32_t closing_day_ = 0;
};

class FakeFileMgr : public platform::ClFileMgr {
 public:
  // The folder answered for a folder type; types never set answer empty.
  void SetFolder(int folder_type, std::string folder) { folders_[folder_type] = std::move(folder); }
  std::string GetAppFolderPath(int folder_type) override;

 private:
  std::map<int, std::string> folders_;
};

// Only NewAccPeriod and FileManager work. The other singletons abort when asked for, and
// the other objects cannot be allocated (nullptr), so a test that strays notices at once.
class FakePeriodLibrary : public platform::AccountingLibrary {
 public:
  FakeFileMgr& files() { return files_; }
  // When false, NewAccPeriod answers nullptr, as when the object cannot be allocated.
  void set_period_available(bool available) { period_available_ = available; }
  int periods_created() const { return periods_created_; }

  platform::ClAccConnect& Connection() override;
  platform::ClDataMgr& DataManager() override;
  platform::ClLinkMgr& LinkManager() override;
  platform::ClMsgMgr& MessageManager() override;
  platform::ClFileMgr& FileManager() override { return files_; }
  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override;
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override { return nullptr; }
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override { return nullptr; }
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override { return nullptr; }
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override { return nullptr; }
  void TaskMemFree(void* buffer) override;

 private:
  FakeFileMgr files_;
  bool period_available_ = true;
  int periods_created_ = 0;
};

}  // namespace vintor::conditions
