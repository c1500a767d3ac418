#include "books/accounting_period.h"

#include <gtest/gtest.h>

namespace vintor::books {
namespace {

TEST(AccountingPeriodTest, ClosingDayComesFromTheEndDate) {
  struct Case {
    std::int32_t last_day, closing_day;
  };
  const Case cases[] = {
      {20250331, 0}, {20250320, 20}, {20240229, 0},  // leap February ends its month
      {20250228, 0}, {20240228, 28},                 // ...but 28 does not in a leap year
      {20251130, 0}, {20251129, 29},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClosingDayOfEndDate(c.last_day), c.closing_day) << c.last_day;
}

TEST(AccountingPeriodTest, ClosingMonthOfADate) {
  struct Case {
    std::int32_t date, closing_day;
    int month;
  };
  const Case cases[] = {
      {20240415, 0, 4},  {20240430, 0, 4},  {20240420, 20, 4},
      {20240421, 20, 5}, {20241221, 20, 1}, {20241231, 0, 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClosingMonthOf(c.date, c.closing_day), c.month) << c.date << " " << c.closing_day;
  }
}

TEST(AccountingPeriodTest, FiscalMonthOfADate) {
  struct Case {
    std::int32_t first_day, last_day, date;
    int month;
  };
  const Case cases[] = {
      // April to March, month-end closing.
      {20240401, 20250331, 20240401, 1},
      {20240401, 20250331, 20241231, 9},
      {20240401, 20250331, 20250101, 10},
      {20240401, 20250331, 20250331, 12},
      {20240401, 20250331, 20240331, 0},  // before the period
      {20240401, 20250331, 20250401, 0},  // a thirteenth month
      {20240401, 20250331, 20250230, 0},  // not a date
      // Closing on the 20th: month 1 runs from 21 March to 20 April.
      {20240321, 20250320, 20240321, 1},
      {20240321, 20250320, 20240420, 1},
      {20240321, 20250320, 20240421, 2},
      {20240321, 20250320, 20241221, 10},
      {20240321, 20250320, 20250120, 10},
      {20240321, 20250320, 20250320, 12},
      // A calendar year; and a period whose first day already belongs to January.
      {20240101, 20241231, 20241231, 12},
      {20231221, 20241220, 20231221, 1},
      {20231221, 20241220, 20240120, 1},
      {20231221, 20241220, 20241220, 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AccountingPeriod(c.first_day, c.last_day).FiscalMonthOf(c.date), c.month)
        << c.first_day << "-" << c.last_day << " " << c.date;
  }
}

TEST(AccountingPeriodTest, FiscalMonthOfACalendarMonth) {
  struct Case {
    std::int32_t first_day, last_day;
    int calendar_month, fiscal_month;
  };
  const Case cases[] = {
      {20250401, 20260331, 4, 1},  {20250401, 20260331, 6, 3},
      {20250401, 20260331, 3, 12}, {20251001, 20260930, 12, 3},  // crosses the calendar year
      {20251001, 20260930, 9, 12}, {20250101, 20251231, 1, 1},   // a calendar year: unchanged
      {20250101, 20251231, 7, 7},  {20250321, 20260320, 4, 1},   // 21 March - 20 April
      {20250321, 20260320, 3, 12}, {20250401, 20250930, 9, 6},   // six months
      {20250401, 20250930, 10, 0}, {20250401, 20250930, 3, 0},   // not months of that period
      {20250401, 20260331, 0, 0},  {20250401, 20260331, 13, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        AccountingPeriod(c.first_day, c.last_day).FiscalMonthOfCalendarMonth(c.calendar_month),
        c.fiscal_month)
        << c.first_day << "-" << c.last_day << " month " << c.calendar_month;
  }
}

TEST(AccountingPeriodTest, DaysOfEachMonthKind) {
  struct Case {
    std::int32_t first_day, last_day;
    int kind;
    std::int32_t first, last;
  };
  const Case cases[] = {
      {20240401, 20250331, 1, 20240401, 20240430},
      {20240401, 20250331, 9, 20241201, 20241231},
      {20240401, 20250331, 10, 20250101, 20250131},
      {20240401, 20250331, 11, 20250201, 20250228},
      {20240401, 20250331, 12, 20250301, 20250331},
      {20240401, 20250331, 15, 20240930, 20240930},
      {20240401, 20250331, 18, 20250331, 20250331},
      // Leap February in a March-to-February year.
      {20230301, 20240229, 12, 20240201, 20240229},
      // Closing on the 20th, across the calendar year.
      {20240321, 20250320, 1, 20240321, 20240420},
      {20240321, 20250320, 2, 20240421, 20240520},
      {20240321, 20250320, 10, 20241221, 20250120},
      {20240321, 20250320, 12, 20250221, 20250320},
      {20240321, 20250320, 15, 20240920, 20240920},
      {20240321, 20250320, 18, 20250320, 20250320},
      // Closing on the 30th: February ends on its last day.
      {20240331, 20250330, 11, 20250131, 20250228},
      {20240331, 20250330, 12, 20250301, 20250330},
      // A first period that starts mid-month begins on its first day.
      {20240610, 20250331, 1, 20240610, 20240630},
      {20240610, 20250331, 2, 20240701, 20240731},
  };
  for (const Case& c : cases) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    ASSERT_TRUE(AccountingPeriod(c.first_day, c.last_day).DaysOfMonthKind(c.kind, &first, &last))
        << c.first_day << " kind " << c.kind;
    EXPECT_EQ(first, c.first) << c.first_day << " kind " << c.kind;
    EXPECT_EQ(last, c.last) << c.first_day << " kind " << c.kind;
  }
  std::int32_t first = 0;
  std::int32_t last = 0;
  for (const int kind : {0, 13, 14, 16, 17, 19}) {
    EXPECT_FALSE(AccountingPeriod(20240401, 20250331).DaysOfMonthKind(kind, &first, &last)) << kind;
  }
}

TEST(AccountingPeriodTest, DayArithmeticCrossesMonthsYearsAndLeapDays) {
  EXPECT_EQ(NextDay(20240228), 20240229);
  EXPECT_EQ(NextDay(20240229), 20240301);
  EXPECT_EQ(NextDay(20230228), 20230301);
  EXPECT_EQ(NextDay(20241231), 20250101);
  EXPECT_TRUE(IsCalendarDate(20240229));
  EXPECT_FALSE(IsCalendarDate(20230229));
  EXPECT_FALSE(IsCalendarDate(19001301));
  EXPECT_FALSE(IsCalendarDate(0));
}

}  // namespace
}  // namespace vintor::books
