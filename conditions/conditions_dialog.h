// The conditions dialog as a presenter: the only screen on which the user decides
// anything. It refuses data that cannot be exported, proposes the month range, the equity
// statement, the ledger option and the output file (from the saved settings, else from the
// period and a default folder), and on Execute checks the month range and the destination
// before it ends with ui::kDialogExecuted. Every other way out ends with
// ui::kDialogCancelled.
//
// The presenter owns no window: a view (Win32 dialog, console, test fake) shows the
// controls and forwards the user's actions to OnInitDialog, OnKeyDown, Execute, Browse and
// Cancel; those operations need the view that OnInitDialog was given. Texts are CP932.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "conditions/destination_check.h"
#include "conditions/path_style.h"
#include "conditions/settings_store.h"
#include "os/os.h"
#include "platform/library.h"
#include "platform/library_failure.h"
#include "ui/ui.h"

namespace vintor::conditions {

// The output destination checks as Execute runs them (CheckDestination in production).
using DestinationChecker =
    std::function<DestinationOutcome(const std::string& path, const DestinationContext& context)>;

class ConditionsDialog {
 public:
  // The production dialog: the saved settings live in the file settings_file_name (for
  // example "VintorOak.env") in the library's folder of type 1, and Execute ends with the
  // output destination checks. parent is the host window, or 0 when there is none.
  ConditionsDialog(platform::AccountingLibrary& library, os::Os& os, ui::Desktop& desktop,
                   const PathStyle& path_style, std::string settings_file_name,
                   ui::WindowHandle parent);
  // The same with any settings store and destination checks. settings is not owned.
  ConditionsDialog(platform::AccountingLibrary& library, os::Os& os, ui::Desktop& desktop,
                   const PathStyle& path_style, SettingsStore& settings,
                   DestinationChecker check_destination, ui::WindowHandle parent);
  ~ConditionsDialog();
  ConditionsDialog(const ConditionsDialog&) = delete;
  ConditionsDialog& operator=(const ConditionsDialog&) = delete;

  // --- Members. The run sets the inputs between construction and showing, and reads the
  // outputs after the dialog ended with kDialogExecuted. ---

  // Shown as given: " %04d/%02d/%02d～%04d/%02d/%02d" and " %s".
  std::string period_text;
  std::string company_name_text;
  // The output file path (path edit).
  std::string output_path;
  // The month range as typed, calendar months 1 to 12 once Execute has passed.
  std::string end_month_text;
  std::string start_month_text;
  // Input: a fiscal month index (1 = the period's first month); 99 marks past results.
  std::int16_t introduction_month = 0;
  // Input: the current user's selection; the second number names the selected data.
  struct SelectionNumbers {
    std::int32_t first = 0;
    std::int32_t second = 0;
  } selection_numbers;
  // Input: the accounting period, YYYYMMDD.
  std::int32_t period_start_date = 0;
  std::int32_t period_end_date = 0;
  // Input: 1 for past-results data, which is refused.
  std::int32_t past_results_flag = 0;
  // Input: 1 when the data has been converted for the Companies Act; anything else is
  // refused.
  std::int16_t company_law_flag = 0;
  // Input: the path a host program dictates; empty when none.
  std::string fixed_output_path;
  // Input: the current user's identifier, at most 64 bytes.
  std::string user_id;
  // Input: the data ID of the selected company (for a view that proposes a file name).
  std::string data_id;
  // Output: 1 shareholders' equity, 2 members' equity statement.
  std::int16_t equity_statement_kind = 0;
  // Output: 1 when the general ledger is wanted, else 0.
  std::int32_t ledger_requested = 0;
  // 1 when a host dictated the path (fixed_output_path was set at initialisation).
  std::int32_t fixed_destination_mode = 0;
  // The path of the saved record read at initialisation (empty when none), at most 260
  // bytes; saved again when a host-started run saves its settings.
  std::string saved_output_path;

  // Input: propose from the period and the default folder, not from the saved settings
  // (a script that wants the defaults). The settings are still saved after an export.
  bool ignore_saved_settings = false;
  // Output of OnInitDialog: true when the proposals came from a saved record.
  bool proposed_from_saved_settings = false;

  ui::WindowHandle parent() const { return parent_; }

  // --- Operations. ---

  // Initialises the view (not owned; it must stay alive while the dialog is shown): may
  // refuse the data with a message and end the dialog with kDialogCancelled at once.
  // Otherwise fills every control; the view then puts the focus on the start month edit.
  void OnInitDialog(ui::ConditionsView& view);
  // A key pressed while focused_control has the focus. True when the dialog handled the
  // key; false leaves it to the standard dialog handling (Esc reaches Cancel that way).
  bool OnKeyDown(int focused_control, ui::Key key, bool modifier_held);
  // Checks the month range and the destination; ends the dialog with kDialogExecuted, or
  // shows why not and puts the focus on the control to correct.
  void Execute();
  // Asks for the output file with the save-file dialog; the focus goes to the execute
  // button afterwards.
  void Browse();
  // Tells the user the export stops and ends the dialog with kDialogCancelled.
  void Cancel();

  // Where the dialog records a failure of the library's period arithmetic (the months it
  // checks would be wrong); may be null. On such a failure the dialog ends at once with
  // kDialogCancelled, without a message; the run looks at the log and reports it.
  void set_failure_log(platform::LibraryFailureLog* log) { failures_ = log; }

  // PeriodMonths and FiscalMonthIndexes (conditions/period_months.h) with this dialog's
  // library; the run uses them for its totalling conditions as well.
  void PeriodMonths(std::int32_t start_date, std::int32_t end_date, std::int32_t* start_month,
                    std::int32_t* end_month);
  void FiscalMonthIndexes(std::int32_t period_start_month, std::int32_t period_end_month,
                          std::int32_t start_month, std::int32_t end_month,
                          std::int32_t* start_index, std::int32_t* end_index);

  // Saves the choices of a successful export for this user and data. Without a path (a
  // run started by a host) the record keeps saved_output_path. False when nothing was
  // saved; SettingsWriteFailure then says why ("<file>: <reason>"), for the run to tell.
  bool WriteSavedSettings(std::int16_t start_month, std::int16_t end_month,
                          std::int16_t equity_statement_kind, std::int32_t ledger_flag,
                          const std::optional<std::string>& output_path);
  std::string SettingsWriteFailure() const { return settings_->WriteFailure(); }

 private:
  SettingsKey Key() const;
  std::string DefaultDestination();
  void ReadControls();
  void WriteControls();
  void Warn(const char* text);
  // True, with the dialog ended, once the library has failed (see set_failure_log).
  bool LibraryFailed();

  platform::AccountingLibrary& library_;
  platform::LibraryFailureLog* failures_ = nullptr;
  os::Os& os_;
  ui::Desktop& desktop_;
  const PathStyle& path_style_;
  std::unique_ptr<SettingsStore> owned_settings_;
  SettingsStore* settings_ = nullptr;
  DestinationChecker check_destination_;
  ui::WindowHandle parent_ = 0;
  ui::ConditionsView* view_ = nullptr;
};

}  // namespace vintor::conditions
