#include "conditions/fake_period_library.h"

#include <cstdlib>

namespace vintor::conditions {
namespace {

bool IsLeapYear(std::int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
  static constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

int FakeAccPeriod::SetPeriod(std::int32_t, std::int32_t) {
  return platform::kSuccess;
}

int FakeAccPeriod::GetClosingDayByEndDate(std::int32_t last_day, int, std::int32_t* closing_day) {
  const std::int32_t year = last_day / 10000;
  const std::int32_t month = last_day % 10000 / 100;
  const std::int32_t day = last_day % 100;
  *closing_day = day == DaysInMonth(year, month) ? 0 : day;
  return platform::kSuccess;
}

int FakeAccPeriod::SetClosingDay(std::int32_t closing_day) {
  closing_day_ = closing_day;
  return platform::kSuccess;
}

int FakeAccPeriod::GetAMonthByDate(std::int32_t date, std::int32_t* month, int) {
  const std::int32_t calendar_month = date % 10000 / 100;
  const std::int32_t day = date % 100;
  if (closing_day_ == 0 || day <= closing_day_) {
    *month = calendar_month;
  } else {
    *month = calendar_month % 12 + 1;
  }
  return platform::kSuccess;
}

int FakeAccPeriod::GetPeriodByMonthKind(int, std::int32_t*, std::int32_t*) {
  return 1;
}

std::string FakeFileMgr::GetAppFolderPath(int folder_type) {
  auto found = folders_.find(folder_type);
  return found == folders_.end() ? std::string() : found->second;
}

platform::ClAccConnect& FakePeriodLibrary::Connection() {
  std::abort();
}
platform::ClDataMgr& FakePeriodLibrary::DataManager() {
  std::abort();
}
platform::ClLinkMgr& FakePeriodLibrary::LinkManager() {
  std::abort();
}
platform::ClMsgMgr& FakePeriodLibrary::MessageManager() {
  std::abort();
}

std::unique_ptr<platform::ClAccPeriod> FakePeriodLibrary::NewAccPeriod() {
  if (!period_available_) return nullptr;
  ++periods_created_;
  return std::make_unique<FakeAccPeriod>();
}

void FakePeriodLibrary::TaskMemFree(void* buffer) {
  std::free(buffer);
}

}  // namespace vintor::conditions
