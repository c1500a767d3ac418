// One export: one company of the open books, totalled over a month range and written as one
// report. The interactive run and a batch both use it. It asks nothing and shows nothing:
// warnings go to a diagnostics sink as they arise, progress to a progress window, and how
// it ended comes back as an outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/edition.h"
#include "app/host_handshake.h"
#include "checks/cross_checks.h"
#include "os/os.h"
#include "platform/library.h"
#include "platform/library_failure.h"
#include "statements/diagnostics.h"
#include "statements/statement_line_list.h"
#include "supplements/ledger_entry.h"
#include "ui/progress_window.h"

namespace vintor::app {

// What to export. Texts are CP932.
struct ExportRequest {
  std::int32_t data_number = 0;  // the company's data record
  std::int32_t start_month = 0;  // 1-12, the first month of the range
  std::int32_t end_month = 0;    // 1-12, the last
  std::int16_t equity_kind = 1;  // 1 shareholders' equity, 2 members' equity
  bool ledger = false;           // with the general ledger
  std::string destination;       // the report file
  std::int16_t function_number = kStandAloneFunctionNumber;
};

// What a finished export wrote, for a summary line.
struct WrittenReport {
  std::string path;            // CP932
  bool cost_schedule = false;  // the schedule of cost of goods manufactured
  std::int16_t equity_kind = 1;
  bool notes = false;
  bool ledger = false;
  // Why the choices could not be saved for the next run ("<file>: <reason>"); empty when
  // they were. The report is written either way. Set by the interactive run.
  std::string settings_failure;
  // The checks across the statements, run on the report as read back.
  std::vector<checks::CheckResult> checks;
};

// How one export ended.
struct ExportOutcome {
  bool written = false;
  // When not written: what the user is told after the failure message (CP932); empty when
  // the failure log of the seams says it.
  std::string failure_detail;
  WrittenReport report;               // when written
  std::vector<std::string> warnings;  // every warning told, in order (CP932)
  std::size_t statement_lines = 0;
  std::uint64_t ledger_lines = 0;
  std::uint64_t bytes_written = 0;  // the report's size, when written
  double seconds = 0;
};

// The seams of an export; none is owned, all must outlive the operation. progress may be
// null.
struct ExportSeams {
  platform::AccountingLibrary& library;
  os::Os& os;
  statements::Diagnostics& diagnostics;
  ui::ProgressWindow* progress = nullptr;
  // Every library failure is recorded here; the first one is what a failed run tells.
  platform::LibraryFailureLog& failures;
};

class ExportOperation {
 public:
  ExportOperation(ExportSeams seams, Edition edition);
  ExportOperation(const ExportOperation&) = delete;
  ExportOperation& operator=(const ExportOperation&) = delete;

  // Exports the company of the request. The destination keeps its old content unless the
  // outcome says written. Run once per operation.
  ExportOutcome Run(const ExportRequest& request);

  // The statement lines of the run, for tests and the interactive run's accessors.
  const statements::StatementLineList& statement_lines() const { return statement_lines_; }
  // Shown every ledger line as it is written, in report order; set before Run.
  void set_ledger_observer(std::function<void(const supplements::LedgerEntry&)> observer) {
    ledger_observer_ = std::move(observer);
  }

 private:
  bool Export(const ExportRequest& request, ExportOutcome* outcome);

  ExportSeams seams_;
  Edition edition_;
  statements::StatementLineList statement_lines_;
  std::vector<std::string> note_lines_;
  std::function<void(const supplements::LedgerEntry&)> ledger_observer_;
};

// The warning shown when notes are displayed that the tax application cannot take over;
// empty when there is none. display_flags are the display values of the note sections.
std::string UnsupportedNotesWarning(const std::uint8_t (&display_flags)[50]);

}  // namespace vintor::app
