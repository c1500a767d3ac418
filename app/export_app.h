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

#include "app/company_records.h"
#include "app/edition.h"
#include "app/export_operation.h"
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
  // The statement lines of the export; empty before it.
  const statements::StatementLineList& statement_lines() const {
    return operation_ ? operation_->statement_lines() : no_lines_;
  }
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
  // Tells the user that the run failed, with detail (else what failures_ knows), and sets
  // the result.
  void ReportFailure(ui::WindowHandle owner, const std::string& detail = {});
  void FillDialog(conditions::ConditionsDialog& dialog, const app::UserSelection& selection,
                  const platform::StDATAINFO& record);
  // The dialog's choices become a request for the export operation; then the outcome is
  // told and the choices saved. False after telling the user why (result code set).
  bool TotalAndWrite(conditions::ConditionsDialog& dialog, const platform::StDATAINFO& record);

  ExportEnvironment env_;
  Edition edition_;
  bool launched_by_host_ = false;
  HostHandshake handshake_;
  int result_code_ = kResultFinished;
  std::unique_ptr<ExportOperation> operation_;
  statements::StatementLineList no_lines_;
  std::uint64_t ledger_line_count_ = 0;
  std::function<void(const supplements::LedgerEntry&)> ledger_observer_;
  // The library failures of this run; the first one is what the user is told.
  platform::LibraryFailureLog failures_;
  WrittenReport written_;
};

}  // namespace vintor::app
