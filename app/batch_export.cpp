#include "app/batch_export.h"

#include <algorithm>
#include <memory>

#include "app/company_records.h"
#include "batch/report_name.h"
#include "conditions/period_months.h"
#include "text/cp932.h"

namespace vintor::app {

namespace {

constexpr std::int16_t kPastResults = 99;

std::string MonthsText(std::int32_t from, std::int32_t to) {
  return std::to_string(from) + "月～" + std::to_string(to) + "月";
}

// The month range of the company, checked as the conditions dialog checks the months a user
// types. Empty when accepted; else why not. A library failure is recorded in failures.
std::string PlanMonths(platform::AccountingLibrary& library, const BatchChoices& choices,
                       const platform::StDATAINFO& record, ExportRequest* request,
                       platform::LibraryFailureLog& failures) {
  if (record.first_day == 0 || record.last_day == 0) return "会計期間がありません";
  std::int32_t period_start = 0;
  std::int32_t period_end = 0;
  if (!conditions::PeriodMonths(library, record.first_day, record.last_day, &period_start,
                                &period_end, &failures)) {
    return "会計期間を読めません";
  }
  std::int32_t from = choices.from_month;
  std::int32_t to = choices.to_month;
  if (from == 0 && to == 0 && choices.saved_months) {
    choices.saved_months(record.data_number, &from, &to);
  }
  if (from == 0 && to == 0) {
    from = period_start;
    to = period_end % 100;
  }
  const auto verdict = conditions::CheckMonthRange(
      static_cast<std::int16_t>(from), static_cast<std::int16_t>(to), period_start, period_end);
  if (!verdict.accepted()) {
    return "集計期間 " + MonthsText(from, to) + " が会計期間に合いません";
  }
  // Months before the introduction month hold no data of this system.
  std::int32_t start_index = 0;
  std::int32_t end_index = 0;
  conditions::FiscalMonthIndexes(period_start, period_end, from, to, &start_index, &end_index);
  if (end_index < record.introduction_month) {
    return "集計期間 " + MonthsText(from, to) + " が導入開始月より前です";
  }
  request->start_month = from;
  request->end_month = to;
  return {};
}

}  // namespace

bool PlanBatch(platform::AccountingLibrary& library, const BatchChoices& choices,
               std::vector<PlannedCompany>* plan, std::string* error,
               platform::LibraryFailureLog& failures) {
  plan->clear();
  std::vector<platform::StDATAINFO> records;
  if (!ReadCompanyRecords(library, &records, failures)) {
    *error = "会計データの一覧を読めません";
    return false;
  }
  std::vector<std::int32_t> numbers = choices.data_numbers;
  if (numbers.empty()) {
    // The records are packed: the number is copied out, never bound by reference.
    for (const platform::StDATAINFO& record : records) {
      numbers.push_back(static_cast<std::int32_t>(record.data_number));
    }
  }
  batch::ReportNameRegistry names;
  for (const std::int32_t number : numbers) {
    PlannedCompany& company = plan->emplace_back();
    company.request.data_number = number;
    company.request.equity_kind = choices.equity_kind;
    company.request.ledger = choices.ledger;
    company.request.function_number = kStandAloneFunctionNumber;
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const auto& r) { return r.data_number == number; });
    if (found == records.end()) {
      company.record.data_number = number;
      company.refusal = "会計データがありません";
      continue;
    }
    company.record = *found;
    const platform::StDATAINFO& record = company.record;
    // The conditions dialog refuses these two before it shows anything.
    if (record.introduction_month == kPastResults) {
      company.refusal = "過去実績データは連携の対象として使用できません";
      continue;
    }
    if (record.companies_act != 1) {
      company.refusal = "会社法(H18.5施行)に対応していないデータです";
      continue;
    }
    company.refusal = PlanMonths(library, choices, record, &company.request, failures);
    if (failures.failed()) {
      *error = "会計データ " + std::to_string(number) + " の会計期間を読めません";
      return false;
    }
    if (!company.refusal.empty()) continue;

    std::string name;
    const batch::ReportNameFields fields{record.data_number,
                                         std::string(text::FieldText(record.data_id)),
                                         std::string(text::FieldText(record.company_name)),
                                         record.first_day,
                                         record.last_day,
                                         company.request.start_month,
                                         company.request.end_month};
    if (!batch::ExpandReportName(choices.name_template, fields, &name, error)) return false;
    std::int32_t taken_by = 0;
    if (!names.Claim(name, number, &taken_by)) {
      company.refusal =
          "ファイル名 " + name + " は会計データ " + std::to_string(taken_by) + " と同じです";
      continue;
    }
    company.request.destination = choices.out_dir + name;
  }
  return true;
}

batch::CompanyRow SkippedRow(const PlannedCompany& company) {
  batch::CompanyRow row{};
  row.data_number = company.record.data_number;
  row.company_name = std::string(text::FieldText(company.record.company_name));
  row.from_month = company.request.start_month;
  row.to_month = company.request.end_month;
  row.status = batch::CompanyStatus::kSkipped;
  row.reason = company.refusal;
  return row;
}

batch::CompanyRow ExportPlannedCompany(platform::AccountingLibrary& library, os::Os& os,
                                       const Edition& edition, const PlannedCompany& company,
                                       ui::ProgressWindow* progress) {
  batch::CompanyRow row = SkippedRow(company);
  if (!company.refusal.empty()) return row;
  statements::CollectedDiagnostics diagnostics;
  platform::LibraryFailureLog failures;
  ExportOperation operation({library, os, diagnostics, progress, failures}, edition);
  const ExportOutcome outcome = operation.Run(company.request);
  row.seconds = outcome.seconds;
  row.warnings = static_cast<int>(outcome.warnings.size());
  if (!outcome.written) {
    row.status = batch::CompanyStatus::kFailed;
    row.reason = outcome.failure_detail.empty() ? failures.Describe() : outcome.failure_detail;
    return row;
  }
  row.status = outcome.warnings.empty() ? batch::CompanyStatus::kWritten
                                        : batch::CompanyStatus::kWrittenWithWarnings;
  row.file = outcome.report.path;
  row.size_bytes = outcome.bytes_written;
  for (const checks::CheckResult& check : outcome.report.checks) {
    if (!check.applies) continue;
    ++row.checks_run;
    if (!check.passed) ++row.checks_failed;
  }
  return row;
}

bool WriteBatchSummary(os::Os& os, const std::string& summary_path,
                       const std::vector<batch::CompanyRow>& rows) {
  std::unique_ptr<os::ReplacementFile> summary = os.OpenReplacement(summary_path);
  return summary != nullptr && summary->Append(batch::SummaryCsv(rows)) && summary->Close() &&
         summary->Commit();
}

}  // namespace vintor::app
