#include "books/period_calculator.h"

#include "books/books_codes.h"

namespace vintor::books {

int PeriodCalculator::SetPeriod(std::int32_t first_day, std::int32_t last_day) {
  if (!IsCalendarDate(first_day) || !IsCalendarDate(last_day) || first_day > last_day) {
    return kCodeBadArgument;
  }
  period_ = AccountingPeriod(first_day, last_day);
  period_set_ = true;
  return platform::kSuccess;
}

int PeriodCalculator::GetClosingDayByEndDate(std::int32_t last_day, int /*mode*/,
                                             std::int32_t* closing_day) {
  if (closing_day == nullptr || !IsCalendarDate(last_day)) return kCodeBadArgument;
  *closing_day = ClosingDayOfEndDate(last_day);
  return platform::kSuccess;
}

int PeriodCalculator::SetClosingDay(std::int32_t closing_day) {
  if (closing_day < 0 || closing_day > 31) return kCodeBadArgument;
  period_.set_closing_day(closing_day);
  return platform::kSuccess;
}

int PeriodCalculator::GetAMonthByDate(std::int32_t date, std::int32_t* month, int /*mode*/) {
  if (month == nullptr || !IsCalendarDate(date)) return kCodeBadArgument;
  *month = ClosingMonthOf(date, period_.closing_day());
  return platform::kSuccess;
}

int PeriodCalculator::GetPeriodByMonthKind(int month_kind, std::int32_t* first_day,
                                           std::int32_t* last_day) {
  if (first_day == nullptr || last_day == nullptr) return kCodeBadArgument;
  if (!period_set_) return kCodeNotReady;
  return period_.DaysOfMonthKind(month_kind, first_day, last_day) ? platform::kSuccess
                                                                  : kCodeBadArgument;
}

}  // namespace vintor::books
