#include "conditions/period_months.h"

#include <memory>

namespace vintor::conditions {

bool PeriodMonths(platform::AccountingLibrary& library, std::int32_t start_date,
                  std::int32_t end_date, std::int32_t* start_month, std::int32_t* end_month,
                  platform::LibraryFailureLog* failures) {
  std::int32_t end = end_date % 10000 / 100;
  std::unique_ptr<platform::ClAccPeriod> period = library.NewAccPeriod();
  if (period == nullptr) {
    if (failures != nullptr) failures->Record("ClAccPeriod の作成", -1);
    return false;
  }
  // The start month depends on the closing day: with a closing on the 20th, a period that
  // starts on 21 March belongs to April. A call that fails leaves its output at 0; the
  // dialog takes that as it comes, the run stops on it.
  bool ok = true;
  const auto step = [&](const char* call, int code) {
    if (code == platform::kSuccess) return;
    if (ok && failures != nullptr) failures->Record(call, code);
    ok = false;
  };
  std::int32_t closing_day = 0;
  std::int32_t start = 0;
  step("ClAccPeriod::SetPeriod", period->SetPeriod(start_date, end_date));
  step("ClAccPeriod::GetClosingDayByEndDate",
       period->GetClosingDayByEndDate(end_date, 0, &closing_day));
  step("ClAccPeriod::SetClosingDay", period->SetClosingDay(closing_day));
  step("ClAccPeriod::GetAMonthByDate", period->GetAMonthByDate(start_date, &start, 0));
  period.reset();
  if (end < start) end += 100;
  if (start_month != nullptr) *start_month = start;
  if (end_month != nullptr) *end_month = end;
  return ok;
}

void FiscalMonthIndexes(std::int32_t period_start_month, std::int32_t period_end_month,
                        std::int32_t start_month, std::int32_t end_month, std::int32_t* start_index,
                        std::int32_t* end_index) {
  if (start_index == nullptr || end_index == nullptr) return;
  const std::int32_t ps = period_start_month;
  if (start_month == ps) {
    *start_index = 1;
  } else if (start_month > ps) {
    *start_index = start_month - ps + 1;
  } else {
    *start_index = start_month - ps + 13;
  }
  // An end month in the second calendar year part of a wrapping period counts on from
  // December; anywhere else it counts from the first month.
  if (period_end_month >= 100 && end_month <= period_end_month - 100) {
    *end_index = end_month - ps + 13;
  } else {
    *end_index = end_month - ps + 1;
  }
}

MonthRangeVerdict CheckMonthBounds(std::int16_t start_month, std::int16_t end_month) {
  if (start_month < 1 || start_month > 12) return {1, 1};
  if (end_month < 1 || end_month > 12) return {2, 2};
  return {};
}

MonthRangeVerdict CheckMonthRange(std::int16_t start_month, std::int16_t end_month,
                                  std::int32_t period_start_month, std::int32_t period_end_month) {
  if (MonthRangeVerdict bounds = CheckMonthBounds(start_month, end_month); !bounds.accepted())
    return bounds;
  const std::int32_t us = start_month;
  const std::int32_t ue = end_month;
  const std::int32_t ps = period_start_month;
  const bool wrap = period_end_month >= 100;
  const std::int32_t pe = wrap ? period_end_month - 100 : period_end_month;
  if (!wrap) {
    if (us < ps) return {3, 1};
    if (ue > pe) return {4, 1};
    if (ps >= 1 && pe <= 12 && us > ue) return {5, 1};
    return {};
  }
  // Across a year end the range may run from the first part into the second, but never
  // backwards within a part, nor start or end in the months the period does not cover.
  if (ps < us && us <= 12 && ps <= ue && ue < us) return {6, 2};
  if (1 <= us && us <= pe && (us > ue || ue > pe)) return {7, 2};
  if (pe < us && us < ps) return {8, 1};
  if (pe < ue && ue < ps) return {9, 1};
  return {};
}

}  // namespace vintor::conditions
