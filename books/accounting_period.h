// The calendar of one accounting period: its closing day, the month each date belongs to,
// and the first and last day of each fiscal month. The books file uses it to put a voucher
// into its month slot; the library's period object answers the same questions with it, so
// both always agree.
//
// Dates are YYYYMMDD integers. A closing day of 0 means month-end; any other closing day d
// makes a month run from day d + 1 of the previous calendar month to day d (clamped to the
// month's length, so a closing day of 30 ends February on its last day).
#pragma once

#include <cstdint>

namespace vintor::books {

// True for a real calendar date between the years 1 and 9999.
bool IsCalendarDate(std::int32_t date);
int DaysInMonth(int year, int month);
// The day after a valid date.
std::int32_t NextDay(std::int32_t date);

// The closing day the period's end date implies: 0 when it is the last day of its month,
// else its day of the month.
std::int32_t ClosingDayOfEndDate(std::int32_t last_day);

// The calendar month (1-12) whose closing period holds the date: with month-end closing the
// date's own month; otherwise the date's month when its day is at most the closing day, and
// the next month when it is later.
int ClosingMonthOf(std::int32_t date, std::int32_t closing_day);

class AccountingPeriod {
 public:
  AccountingPeriod() = default;
  // The closing day is that of the last day, as the product sets it up.
  AccountingPeriod(std::int32_t first_day, std::int32_t last_day)
      : first_day_(first_day), last_day_(last_day), closing_day_(ClosingDayOfEndDate(last_day)) {}
  AccountingPeriod(std::int32_t first_day, std::int32_t last_day, std::int32_t closing_day)
      : first_day_(first_day), last_day_(last_day), closing_day_(closing_day) {}

  std::int32_t first_day() const { return first_day_; }
  std::int32_t last_day() const { return last_day_; }
  std::int32_t closing_day() const { return closing_day_; }
  void set_closing_day(std::int32_t closing_day) { closing_day_ = closing_day; }

  // The fiscal month (1 = the month that holds the first day) of a date; 0 when the date
  // is not a calendar date or falls outside months 1-12.
  int FiscalMonthOf(std::int32_t date) const;

  // The fiscal month (1 = the month that holds the first day) whose closing date falls in
  // a calendar month (1-12): 3 for June in an April-March period, 3 for December in an
  // October-September one. 0 when no month of the period closes in that calendar month
  // (a period shorter than a year has fewer months) or the month is not 1-12.
  int FiscalMonthOfCalendarMonth(int calendar_month) const;

  // First and last day of a month kind: fiscal months 1-12 (month 1 begins on the period's
  // first day), 15 the interim closing period (the last day of month 6, as first and last
  // day), 18 the year-end closing period (the period's last day). False for other kinds or
  // a period whose first day is not a calendar date.
  bool DaysOfMonthKind(int month_kind, std::int32_t* first, std::int32_t* last) const;

 private:
  // The calendar month of fiscal month 1 as a month count (year x 12 + month - 1).
  int FirstMonthSerial() const;
  // The last day of the closing period of a calendar month given as a month count.
  std::int32_t ClosingDateOfSerial(int serial) const;

  std::int32_t first_day_ = 0;
  std::int32_t last_day_ = 0;
  std::int32_t closing_day_ = 0;
};

}  // namespace vintor::books
