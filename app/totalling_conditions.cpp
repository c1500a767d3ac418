#include "app/totalling_conditions.h"

#include <cstring>

#include "conditions/period_months.h"

namespace vintor::app {

using platform::StFINDBLOCK;

namespace {

StFINDBLOCK MonthBlock(std::int16_t op, std::int32_t operand, std::int16_t link) {
  StFINDBLOCK block{};
  block.item = platform::kFindItemMonth;
  block.op = op;
  block.value_type = 2;
  block.operand = operand;
  block.link = link;
  return block;
}

}  // namespace

bool BuildTotallingConditions(platform::AccountingLibrary& library, platform::StFINDINFO* find,
                              const platform::StDATAINFO* company, std::int32_t start_month,
                              std::int32_t end_month, platform::LibraryFailureLog* failures) {
  if (find == nullptr || company == nullptr) return false;
  std::memset(find, 0, sizeof *find);

  std::int32_t period_first = 0;
  std::int32_t period_last = 0;
  const bool period_read = conditions::PeriodMonths(library, company->first_day, company->last_day,
                                                    &period_first, &period_last, failures);
  std::int32_t first_index = 0;
  std::int32_t last_index = 0;
  conditions::FiscalMonthIndexes(period_first, period_last, start_month, end_month, &first_index,
                                 &last_index);

  int blocks = 0;
  find->blocks[blocks++] = MonthBlock(platform::kFindOpFrom, first_index, platform::kFindLinkAnd);
  find->blocks[blocks++] = MonthBlock(platform::kFindOpTo, last_index, platform::kFindLinkLast);
  // The closing periods are joined with "or": they lie outside the months' range.
  if (company->interim_settlement == 1 && last_index == 6) {
    find->blocks[blocks - 1].link = platform::kFindLinkOr;
    find->blocks[blocks++] =
        MonthBlock(platform::kFindOpEqual, platform::kMonthKindInterim, platform::kFindLinkLast);
  }
  if (end_month == period_last % 100) {
    find->blocks[blocks - 1].link = platform::kFindLinkOr;
    find->blocks[blocks++] =
        MonthBlock(platform::kFindOpEqual, platform::kMonthKindYearEnd, platform::kFindLinkLast);
  }
  return period_read;
}

}  // namespace vintor::app
