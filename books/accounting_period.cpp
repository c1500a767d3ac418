#include "books/accounting_period.h"

#include <algorithm>

namespace vintor::books {
namespace {

int YearOf(std::int32_t date) {
  return date / 10000;
}
int MonthOf(std::int32_t date) {
  return date / 100 % 100;
}
int DayOf(std::int32_t date) {
  return date % 100;
}
std::int32_t MakeDate(int year, int month, int day) {
  return year * 10000 + month * 100 + day;
}
bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsCalendarDate(std::int32_t date) {
  const int year = YearOf(date);
  const int month = MonthOf(date);
  const int day = DayOf(date);
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

std::int32_t NextDay(std::int32_t date) {
  int year = YearOf(date);
  int month = MonthOf(date);
  int day = DayOf(date) + 1;
  if (day > DaysInMonth(year, month)) {
    day = 1;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return MakeDate(year, month, day);
}

std::int32_t ClosingDayOfEndDate(std::int32_t last_day) {
  const int day = DayOf(last_day);
  return day == DaysInMonth(YearOf(last_day), MonthOf(last_day)) ? 0 : day;
}

int ClosingMonthOf(std::int32_t date, std::int32_t closing_day) {
  const int month = MonthOf(date);
  if (closing_day == 0 || DayOf(date) <= closing_day) return month;
  return month == 12 ? 1 : month + 1;
}

int AccountingPeriod::FirstMonthSerial() const {
  // A first day after the closing day belongs to the next calendar month's period, which
  // for a December date lies in the next year.
  const int month = MonthOf(first_day_);
  const int closing_month = ClosingMonthOf(first_day_, closing_day_);
  const int year = YearOf(first_day_) + (closing_month < month ? 1 : 0);
  return year * 12 + closing_month - 1;
}

std::int32_t AccountingPeriod::ClosingDateOfSerial(int serial) const {
  const int year = serial / 12;
  const int month = serial % 12 + 1;
  const int length = DaysInMonth(year, month);
  const int day = closing_day_ == 0 ? length : std::min<int>(closing_day_, length);
  return MakeDate(year, month, day);
}

int AccountingPeriod::FiscalMonthOf(std::int32_t date) const {
  if (!IsCalendarDate(date) || !IsCalendarDate(first_day_) || date < first_day_) return 0;
  const int month = MonthOf(date);
  const int closing_month = ClosingMonthOf(date, closing_day_);
  const int year = YearOf(date) + (closing_month < month ? 1 : 0);
  const int index = year * 12 + closing_month - 1 - FirstMonthSerial() + 1;
  return index >= 1 && index <= 12 ? index : 0;
}

int AccountingPeriod::FiscalMonthOfCalendarMonth(int calendar_month) const {
  if (calendar_month < 1 || calendar_month > 12) return 0;
  std::int32_t first = 0;
  std::int32_t last = 0;
  for (int month = 1; month <= 12 && DaysOfMonthKind(month, &first, &last); ++month) {
    if (first > last_day_) break;
    if (MonthOf(last) == calendar_month) return month;
  }
  return 0;
}

bool AccountingPeriod::DaysOfMonthKind(int month_kind, std::int32_t* first,
                                       std::int32_t* last) const {
  if (!IsCalendarDate(first_day_)) return false;
  if (month_kind == 18) {
    *first = *last = last_day_;
    return true;
  }
  if (month_kind == 15) {
    *first = *last = ClosingDateOfSerial(FirstMonthSerial() + 5);
    return true;
  }
  if (month_kind < 1 || month_kind > 12) return false;
  const int serial = FirstMonthSerial() + month_kind - 1;
  *first = month_kind == 1 ? first_day_ : NextDay(ClosingDateOfSerial(serial - 1));
  *last = ClosingDateOfSerial(serial);
  return true;
}

}  // namespace vintor::books
