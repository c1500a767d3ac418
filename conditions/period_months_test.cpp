#include "conditions/period_months.h"

#include <gtest/gtest.h>

#include "conditions/fake_period_library.h"

namespace vintor::conditions {
namespace {

TEST(PeriodMonthsTest, FirstMonthFollowsTheClosingDayAndTheLastMarksAYearEnd) {
  struct Case {
    std::int32_t start_date, end_date, start_month, end_month;
  };
  const Case cases[] = {
      {20020401, 20030331, 4, 103},  // month-end closing, April to March
      {20020101, 20021231, 1, 12},   // calendar year
      {20020401, 20030131, 4, 101},  // April to January
      {20020321, 20030320, 4, 103},  // closing on the 20th: 21 March belongs to April
      {20011221, 20021220, 1, 12},   // ... and 21 December to January: no year end crossed
      {20020120, 20021220, 1, 12},   // the closing day itself stays in its month
      {20030301, 20040229, 3, 102},  // leap-year February end is month-end closing
      {20020301, 20030228, 3, 102},  // so is an ordinary one
  };
  FakePeriodLibrary library;
  for (const Case& c : cases) {
    std::int32_t start = -7, end = -7;
    PeriodMonths(library, c.start_date, c.end_date, &start, &end);
    EXPECT_EQ(start, c.start_month) << c.start_date << "-" << c.end_date;
    EXPECT_EQ(end, c.end_month) << c.start_date << "-" << c.end_date;
  }
}

TEST(PeriodMonthsTest, EitherOutputMayBeOmitted) {
  FakePeriodLibrary library;
  std::int32_t start = 0, end = 0;
  PeriodMonths(library, 20020401, 20030331, &start, nullptr);
  PeriodMonths(library, 20020401, 20030331, nullptr, &end);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 103);
}

TEST(PeriodMonthsTest, WritesNothingWithoutAPeriodObject) {
  FakePeriodLibrary library;
  library.set_period_available(false);
  std::int32_t start = -7, end = -7;
  PeriodMonths(library, 20020401, 20030331, &start, &end);
  EXPECT_EQ(start, -7);
  EXPECT_EQ(end, -7);
}

TEST(FiscalMonthIndexesTest, CountsFromThePeriodsFirstMonth) {
  struct Case {
    std::int32_t ps, pe, us, ue, start_index, end_index;
  };
  const Case cases[] = {
      {4, 103, 4, 3, 1, 12},  {4, 103, 4, 12, 1, 9}, {4, 103, 1, 3, 10, 12},
      {4, 103, 10, 2, 7, 11}, {4, 103, 4, 9, 1, 6},  {4, 103, 4, 10, 1, 7},
      {1, 12, 1, 12, 1, 12},  {1, 12, 6, 6, 6, 6},   {4, 101, 2, 1, 11, 10},
  };
  for (const Case& c : cases) {
    std::int32_t start = 0, end = 0;
    FiscalMonthIndexes(c.ps, c.pe, c.us, c.ue, &start, &end);
    EXPECT_EQ(start, c.start_index) << c.us << "-" << c.ue << " in " << c.ps << "-" << c.pe;
    EXPECT_EQ(end, c.end_index) << c.us << "-" << c.ue << " in " << c.ps << "-" << c.pe;
  }
}

TEST(FiscalMonthIndexesTest, ComputesNothingUnlessBothOutputsAreGiven) {
  std::int32_t index = -7;
  FiscalMonthIndexes(4, 103, 5, 6, &index, nullptr);
  EXPECT_EQ(index, -7);
  FiscalMonthIndexes(4, 103, 5, 6, nullptr, &index);
  EXPECT_EQ(index, -7);
}

TEST(CheckMonthRangeTest, AcceptsOrNamesTheFirstRuleThatRefuses) {
  struct Case {
    std::int32_t ps, pe;
    std::int16_t us, ue;
    int rule, focus_code;
  };
  const Case cases[] = {
      // April to March.
      {4, 103, 4, 3, 0, 0},
      {4, 103, 4, 12, 0, 0},
      {4, 103, 1, 3, 0, 0},
      {4, 103, 10, 2, 0, 0},
      {4, 103, 5, 4, 6, 2},
      {4, 103, 2, 1, 7, 2},
      {4, 103, 3, 4, 7, 2},
      // April to January.
      {4, 101, 2, 12, 8, 1},
      {4, 101, 5, 3, 9, 1},
      {4, 101, 1, 1, 0, 0},
      {4, 101, 12, 1, 0, 0},
      // Calendar year.
      {1, 12, 1, 12, 0, 0},
      {1, 12, 6, 6, 0, 0},
      {1, 12, 7, 6, 5, 1},
      {1, 12, 0, 12, 1, 1},
      {1, 12, 1, 13, 2, 2},
      {1, 12, 13, 0, 1, 1},  // the start month is judged first
      {1, 12, -1, 5, 1, 1},
      // A year that neither starts in January nor crosses a year end.
      {2, 11, 1, 5, 3, 1},
      {2, 11, 3, 12, 4, 1},
      // No period could be computed: every range is refused.
      {0, 0, 4, 3, 4, 1},
  };
  for (const Case& c : cases) {
    const MonthRangeVerdict verdict = CheckMonthRange(c.us, c.ue, c.ps, c.pe);
    EXPECT_EQ(verdict.rule, c.rule) << c.us << "-" << c.ue << " in " << c.ps << "-" << c.pe;
    EXPECT_EQ(verdict.focus_code, c.focus_code) << c.us << "-" << c.ue;
  }
}

}  // namespace
}  // namespace vintor::conditions
