// The period arithmetic of the conditions dialog: which calendar months an accounting
// period covers, and where a calendar month falls in the fiscal year. The run uses the
// same operations again when it builds the totalling conditions of the chosen range.
#pragma once

#include <cstdint>

#include "platform/library.h"
#include "platform/library_failure.h"

namespace vintor::conditions {

// The period's first and last calendar month for the period from start_date to end_date
// (YYYYMMDD). The first month is the month the first day belongs to under the period's
// closing day, as the library's period object reckons it; the last month is the calendar
// month of the last day, plus 100 when the period crosses a calendar year end (so an
// April-to-March year gives 4 and 103). Either output may be null. When the library cannot
// create a period object nothing is written. False when the library failed a step (the
// outputs are then written as far as they came, a failed step leaving its part at 0); the
// step is recorded in failures when that is given.
bool PeriodMonths(platform::AccountingLibrary& library, std::int32_t start_date,
                  std::int32_t end_date, std::int32_t* start_month, std::int32_t* end_month,
                  platform::LibraryFailureLog* failures = nullptr);

// 1-based positions in the fiscal year of the calendar months start_month and end_month,
// for a year whose first month is period_start_month and whose last month is
// period_end_month as PeriodMonths gives it (100 added across a year end). Both outputs
// are required: when either is null nothing is computed.
void FiscalMonthIndexes(std::int32_t period_start_month, std::int32_t period_end_month,
                        std::int32_t start_month, std::int32_t end_month, std::int32_t* start_index,
                        std::int32_t* end_index);

// The check of a month range (calendar months as the user typed them) against the period.
struct MonthRangeVerdict {
  int rule = 0;        // 0: accepted; else the number of the first rule that refused it
  int focus_code = 0;  // 1: correct the start month; 2: correct the end month
  bool accepted() const { return rule == 0; }
};

// Rules 1 and 2: each month must be 1 to 12. Tested before the period is read.
MonthRangeVerdict CheckMonthBounds(std::int16_t start_month, std::int16_t end_month);

// Every rule, 1 to 9, in order. period_start_month and period_end_month are PeriodMonths'
// answers. Accepted ranges lie inside the period without running backwards: within one
// calendar year, within the first or the second calendar year part of a year that wraps,
// or from the first part across the year end into the second.
MonthRangeVerdict CheckMonthRange(std::int16_t start_month, std::int16_t end_month,
                                  std::int32_t period_start_month, std::int32_t period_end_month);

}  // namespace vintor::conditions
