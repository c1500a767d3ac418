// The run of the exporter, from start to exit: it opens the library connection, reads the
// host's hand-shake, checks the installation, reads the selected company, shows the
// conditions dialog, totals the accounts, writes the report, tells the user the outcome
// and, at exit, tells the host.
//
// ExportApp reaches the outside only through the seams it is given: the accounting
// library, the OS, the desktop, the host windows and the views that main() chooses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/host_handshake.h"
#include "checks/cross_checks.h"
#include "conditions/conditions_dialog.h"
#include "conditions/path_style.h"
#include "os/os.h"
#include "platform/library.h"
#include "platform/library_failure.h"
#include "statements/statement_line_list.h"
#include "supplements/ledger_entry.h"
#include "ui/host_windows.h"
#include "ui/progress_window.h"
#include "ui/ui.h"

namespace vintor::app {

// What makes one deliverable differ from the others.
struct Edition {
  platform::AppType app_type;        // handed to the library connection
  std::string product_display_name;  // "Tavrel２１ Oak", written into the report
  std::string settings_file_name;    // "VintorOak.env"
};

// The outcome reported to a host, and the exit status on Linux.
enum ResultCode : int {
  kResultFinished = 0,
  kResultCancelled = 1,
  kResultFailed = 2,
};

// The seams of a run; nothing here is owned by the run and all of it outlives it.
struct ExportEnvironment {
  platform::AccountingLibrary& library;
  os::Os& os;
  ui::Desktop& desktop;
  ui::HostWindows& host_windows;
  const conditions::PathStyle& path_style;
  // Shows the conditions dialog modally and returns how it ended (ui::kDialogExecuted or
  // ui::kDialogCancelled).
  std::function<int(conditions::ConditionsDialog&)> show_conditions;
  // Renders the progress window; may be null.
  ui::ProgressView* progress_view = nullptr;
};

// What a finished run wrote, for a summary line.
struct WrittenReport {
  std::string path;            // CP932
  bool cost_schedule = false;  // the schedule of cost of goods manufactured
  std::int16_t equity_kind = 1;
  bool notes = false;
  bool ledger = false;
  // Why the choices could not be saved for the next run ("<file>: <reason>"); empty when
  // they were. The report is written either way.
  std::string settings_failure;
  // The checks across the statements, run on the report as read back.
  std::vector<checks::CheckResult> checks;
};

class ExportApp {
 public:
  ExportApp(ExportEnvironment environment, Edition edition);
  ~ExportApp();
  ExportApp(const ExportApp&) = delete;
  ExportApp& operator=(const ExportApp&) = delete;

  // The whole run. arguments is the command-line text a host may have passed (already in
  // CP932). False on every path that ends early or fails; the result code tells which.
  bool Start(const std::string& arguments);
  // Closes the library connection and tells a host the outcome. Runs once, after Start.
  void Exit();

  int result_code() const { return result_code_; }
  // The first library failure of the run, if any.
  const platform::LibraryFailureLog& library_failures() const { return failures_; }
  bool launched_by_host() const { return launched_by_host_; }
  const HostHandshake& handshake() const { return handshake_; }
  const statements::StatementLineList& statement_lines() const { return statement_lines_; }
  // The ledger lines the report holds; the lines themselves are written as they are
  // extracted and not kept.
  std::uint64_t ledger_line_count() const { return ledger_line_count_; }
  // Shown every ledger line as it is written, in report order; set before Start.
  void set_ledger_observer(std::function<void(const supplements::LedgerEntry&)> observer) {
    ledger_observer_ = std::move(observer);
  }
  // What the report holds; meaningful once Start has answered true.
  const WrittenReport& written_report() const { return written_; }

 private:
  // The run itself; Start runs it and turns any error it raises into a failed run.
  bool Run(const std::string& arguments);
  // True when a record was found. A library failure (anything but end-of-records while
  // walking, or no company set or user object) is recorded in failures_.
  bool ReadSelectedDataRecord(platform::StDATAINFO* record);
  // True when the settings were read. A company without tax settings (end-of-records) leaves
  // *settings untouched; any other failure is recorded in failures_.
  bool ReadTaxSettings(platform::StSHOHIZEIINFO* settings, const platform::StDATAINFO& company);
  // Tells the user that the run failed, with detail (else what failures_ knows), and sets
  // the result.
  void ReportFailure(ui::WindowHandle owner, const std::string& detail = {});
  void FillDialog(conditions::ConditionsDialog& dialog, const platform::StDATAINFO& record);
  // Totals and writes; false after telling the user why (result code set).
  bool TotalAndWrite(conditions::ConditionsDialog& dialog, const platform::StDATAINFO& record,
                     const platform::StSHOHIZEIINFO& tax);

  ExportEnvironment env_;
  Edition edition_;
  bool launched_by_host_ = false;
  HostHandshake handshake_;
  int result_code_ = kResultFinished;
  statements::StatementLineList statement_lines_;
  std::uint64_t ledger_line_count_ = 0;
  std::function<void(const supplements::LedgerEntry&)> ledger_observer_;
  std::vector<std::string> note_lines_;
  // The library failures of this run; the first one is what the user is told.
  platform::LibraryFailureLog failures_;
  WrittenReport written_;
};

// The warning shown when notes are displayed that the tax application cannot take over;
// empty when there is none. display_flags are the display values of the note sections.
std::string UnsupportedNotesWarning(const std::uint8_t (&display_flags)[50]);

}  // namespace vintor::app
