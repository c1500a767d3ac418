// The library's period object: the period arithmetic of accounting_period.h behind the
// interface's calls.
#pragma once

#include "books/accounting_period.h"
#include "platform/library.h"

namespace vintor::books {

class PeriodCalculator : public platform::ClAccPeriod {
 public:
  // Both days must be calendar dates, the first not after the last. The closing day becomes
  // that of the last day until SetClosingDay changes it.
  int SetPeriod(std::int32_t first_day, std::int32_t last_day) override;
  int GetClosingDayByEndDate(std::int32_t last_day, int mode, std::int32_t* closing_day) override;
  // 0 (month-end) to 31.
  int SetClosingDay(std::int32_t closing_day) override;
  int GetAMonthByDate(std::int32_t date, std::int32_t* month, int mode) override;
  // Fiscal months 1-12, 15 and 18; kCodeNotReady before SetPeriod.
  int GetPeriodByMonthKind(int month_kind, std::int32_t* first_day,
                           std::int32_t* last_day) override;

 private:
  AccountingPeriod period_;
  bool period_set_ = false;
};

}  // namespace vintor::books
