// The search condition of the totals cursor for the chosen month range.
#pragma once

#include <cstdint>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"

namespace vintor::app {

// Fills *find (zeroed first) for the calendar months start_month to end_month of the
// company's period: block 1 "from" the first fiscal index, block 2 "to" the last, then the
// interim closing period (15) when the company closes an interim period and the range ends
// with the sixth fiscal month, and the year-end closing period (18) when the range ends
// with the period's last month. Nothing is written when find or company is null. False
// when the library's period arithmetic failed (recorded in failures when given): the
// months of the condition cannot be trusted then.
bool BuildTotallingConditions(platform::AccountingLibrary& library, platform::StFINDINFO* find,
                              const platform::StDATAINFO* company, std::int32_t start_month,
                              std::int32_t end_month,
                              platform::LibraryFailureLog* failures = nullptr);

}  // namespace vintor::app
