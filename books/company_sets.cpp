#include "books/company_sets.h"

#include <cstring>

#include "books/accounting_period.h"
#include "books/books_codes.h"
#include "text/cp932.h"

namespace vintor::books {

namespace {

std::int16_t FiscalIntroductionMonth(const Company& company) {
  const std::int16_t month = company.introduction_month;
  if (month < 1 || month > 12) return month;
  return static_cast<std::int16_t>(
      AccountingPeriod(company.first_day, company.last_day).FiscalMonthOfCalendarMonth(month));
}

}  // namespace

void FillDataRecord(const Company& company, platform::StDATAINFO* record) {
  std::memset(record, 0, sizeof *record);
  text::CopyBounded(company.data_id, record->data_id);
  record->data_number = company.data_number;
  text::CopyBounded(company.name, record->company_name);
  record->first_day = company.first_day;
  record->last_day = company.last_day;
  record->has_cost_schedule = company.has_cost_schedule ? 1 : 0;
  record->interim_settlement = company.interim_settlement ? 1 : 0;
  record->introduction_month = FiscalIntroductionMonth(company);
  record->companies_act = company.companies_act ? 1 : 0;
}

int CompanyDataSet::GetDatCursor(platform::SetCursor* cursor) {
  if (cursor == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  *cursor = cursors_.Open();
  return platform::kSuccess;
}

int CompanyDataSet::ReadyDat(platform::SetCursor cursor, int /*mode*/) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  *state = {true, 0};
  return platform::kSuccess;
}

int CompanyDataSet::WalkDat(platform::StDATAINFO* record, platform::SetCursor cursor) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  if (!state->ready) return kCodeNotReady;
  if (record == nullptr) return kCodeBadArgument;
  const auto& companies = session_.companies();
  if (state->position >= companies.size()) return platform::kEndOfRecords;
  FillDataRecord(companies[state->position++].company, record);
  return platform::kSuccess;
}

int CompanyDataSet::ReleaseDatCursor(platform::SetCursor cursor) {
  return cursors_.Release(cursor) ? platform::kSuccess : kCodeBadCursor;
}

const platform::StDATAINFO* CompanyDataSet::GetSelectedInfo() {
  const CompanyRecord* selected = session_.SelectedCompany();
  if (selected == nullptr) return nullptr;
  FillDataRecord(selected->company, &selected_);
  return &selected_;
}

int CompanyDataSet::GetAccPeriod(platform::ClAccPeriod* period) {
  if (period == nullptr) return kCodeBadArgument;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  std::int32_t closing_day = 0;
  int code = period->SetPeriod(company->company.first_day, company->company.last_day);
  if (code == platform::kSuccess) {
    code = period->GetClosingDayByEndDate(company->company.last_day, 0, &closing_day);
  }
  if (code == platform::kSuccess) code = period->SetClosingDay(closing_day);
  return code;
}

int TaxSettingsSet::Get(platform::StSHOHIZEIINFO* settings) {
  if (settings == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  std::memset(settings, 0, sizeof *settings);
  settings->tax_included = company->company.tax_included ? 1 : 0;
  return platform::kSuccess;
}

int BooksSysUser::GetCurUserID(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  text::CopyBounded(session_.CurrentUserId(), buffer, size);
  return platform::kSuccess;
}

int BooksSysUser::GetSelectedNo(const char* user_id, std::int32_t* first, std::int32_t* second) {
  if (user_id == nullptr || first == nullptr || second == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  return session_.SelectionOf(user_id, first, second) ? platform::kSuccess : kCodeNotFound;
}

}  // namespace vintor::books
