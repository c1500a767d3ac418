// Exporting many companies of one set of books in one run. The batch is planned once (which
// companies, their month ranges and file names, and which are refused and why), then each
// company is exported by the same operation an interactive run uses, in a library session
// of the caller's choosing, and summed up in one row.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/edition.h"
#include "app/export_operation.h"
#include "batch/batch_summary.h"
#include "os/os.h"
#include "platform/library.h"
#include "platform/library_failure.h"
#include "ui/progress_window.h"

namespace vintor::app {

// The choices of a batch. Texts are CP932.
struct BatchChoices {
  std::vector<std::int32_t> data_numbers;  // the companies, in this order; empty: every one
  // The months to total, 1-12; 0 for both: each company's whole period.
  std::int32_t from_month = 0;
  std::int32_t to_month = 0;
  // When set (and no months are given), asked for the months of each company's last
  // export: true with *from and *to when it has saved ones; a company without takes its
  // whole period.
  std::function<bool(std::int32_t data_number, std::int32_t* from, std::int32_t* to)> saved_months;
  std::int16_t equity_kind = 1;
  bool ledger = false;
  std::string out_dir;  // the folder of the reports, with its trailing separator
  std::string name_template;
};

// One company of the plan: its request, or why it is skipped.
struct PlannedCompany {
  platform::StDATAINFO record{};
  ExportRequest request;
  std::string refusal;  // empty: to be exported
};

// Reads the companies and plans each: the month range (checked as the conditions dialog
// checks it), the report's name from the template (made safe; a name another company of the
// batch already has is refused) and the refusals of the dialog (past results, data not
// converted for the Companies Act, no period). A company asked for that does not exist is
// planned as refused. False, with *error (CP932), when the companies cannot be read (the
// library's failure is in failures) or the template is unusable.
bool PlanBatch(platform::AccountingLibrary& library, const BatchChoices& choices,
               std::vector<PlannedCompany>* plan, std::string* error,
               platform::LibraryFailureLog& failures);

// The row of a company before it is exported: its number, name and months, and, when it is
// refused, status skipped with the reason.
batch::CompanyRow SkippedRow(const PlannedCompany& company);

// Exports one planned company through library (a session that may serve this company
// only) and returns its summary row. A refused company gives its skipped row without a call.
// progress may be null.
batch::CompanyRow ExportPlannedCompany(platform::AccountingLibrary& library, os::Os& os,
                                       const Edition& edition, const PlannedCompany& company,
                                       ui::ProgressWindow* progress);

// Writes the batch's summary (batch::SummaryCsv) to summary_path, replacing a file there only
// once the new one is complete. False when it cannot be written; the old file then stays.
bool WriteBatchSummary(os::Os& os, const std::string& summary_path,
                       const std::vector<batch::CompanyRow>& rows);

}  // namespace vintor::app
