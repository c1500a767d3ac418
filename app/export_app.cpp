#include "app/export_app.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "app/company_records.h"
#include "app/installation_check.h"
#include "text/cp932.h"
#include "text/decimal.h"

namespace vintor::app {

namespace {

constexpr const char* kTitle = "決算書";
constexpr const char* kWriteFailed =
    "XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。";
constexpr const char* kFinished =
    "決算書情報の出力が終了しました。\n\nアプリケーションを終了します。";

// " YYYY/MM/DD～YYYY/MM/DD" of the period, as the dialog shows it.
std::string PeriodText(std::int32_t first, std::int32_t last) {
  char text[51];
  std::snprintf(text, sizeof text, " %04d/%02d/%02d～%04d/%02d/%02d", first / 10000,
                first % 10000 / 100, first % 100, last / 10000, last % 10000 / 100, last % 100);
  return text;
}

}  // namespace

ExportApp::ExportApp(ExportEnvironment environment, Edition edition)
    : env_(std::move(environment)), edition_(std::move(edition)) {}

ExportApp::~ExportApp() = default;

bool ExportApp::Start(const std::string& arguments) {
  try {
    return Run(arguments);
  } catch (const std::exception&) {
    // Nothing else may escape: the exit routine must still run, so a host is enabled again
    // and told that the run failed.
    env_.desktop.ShowMessage(launched_by_host_ ? handshake_.host_window : 0, kWriteFailed, kTitle,
                             ui::kWarning);
    result_code_ = kResultFailed;
    return false;
  }
}

bool ExportApp::Run(const std::string& arguments) {
  platform::ClAccConnect& connection = env_.library.Connection();
  connection.SetTitle(kTitle);
  connection.SetAppType(edition_.app_type);
  connection.SetUseDataType(1);
  if (connection.Initiate() != platform::kSuccess) {
    // The library has said why. A host that started the run waits for its outcome, so it
    // is still told, although its window was never disabled.
    launched_by_host_ = ParseHostHandshake(arguments, &handshake_);
    result_code_ = kResultFailed;
    return false;
  }

  if (ParseHostHandshake(arguments, &handshake_)) {
    launched_by_host_ = true;
    env_.host_windows.Enable(handshake_.host_window, false);
    connection.SetOwnerWindow(handshake_.host_window);
  }

  // The definition file of the installation and SUPPORT.INF lie beside the program.
  env_.os.ChangeCurrentFolder(env_.os.ProgramFolder());

  if (CheckInstallation(true, env_.os, env_.path_style, connection, handshake_.host_window) == 0) {
    result_code_ = kResultFailed;
    return false;
  }

  const int link = connection.ExpSysLink();
  if (link != platform::kSuccess) {
    result_code_ = link == 1 ? kResultCancelled : kResultFailed;
    return false;
  }

  // A record that is not found stays zero: the dialog refuses it (no Companies Act flag).
  // A user or company the library fails to read would total the wrong company: the run
  // stops before the dialog. (The tax settings are read when the export starts, and a
  // failure there fails the run before anything is written.)
  app::UserSelection selection;
  platform::StDATAINFO record{};
  if (app::ReadUserSelection(env_.library, &selection, failures_)) {
    app::FindCompanyRecord(env_.library, selection.second, &record, failures_);
  }

  const ui::WindowHandle parent = launched_by_host_ ? handshake_.host_window : 0;
  conditions::ConditionsDialog dialog(env_.library, env_.os, env_.desktop, env_.path_style,
                                      edition_.settings_file_name, parent);
  dialog.set_failure_log(&failures_);
  if (!failures_.failed()) FillDialog(dialog, selection, record);
  if (failures_.failed()) {
    ReportFailure(parent);
    return false;
  }
  const int dialog_result = env_.show_conditions(dialog);
  // The dialog's month checks read the period through the library; a failure there would
  // have refused months that are right.
  if (failures_.failed()) {
    ReportFailure(parent);
    return false;
  }
  if (dialog_result == ui::kDialogCancelled) {
    result_code_ = kResultCancelled;
    return false;
  }
  return TotalAndWrite(dialog, record);
}

bool ExportApp::TotalAndWrite(conditions::ConditionsDialog& dialog,
                              const platform::StDATAINFO& record) {
  ExportRequest request;
  request.data_number = record.data_number;
  request.start_month = text::ParseDecimal(dialog.start_month_text);
  request.end_month = text::ParseDecimal(dialog.end_month_text);
  request.equity_kind = dialog.equity_statement_kind;
  request.ledger = dialog.ledger_requested != 0;
  request.destination = dialog.output_path;
  request.function_number =
      launched_by_host_ ? handshake_.function_number : kStandAloneFunctionNumber;

  ui::ProgressWindow progress(env_.progress_view);
  if (launched_by_host_) env_.host_windows.SetParent(progress.Handle(), handshake_.host_window);
  progress.Show();
  env_.desktop.BeginWaitCursor();
  progress.ResetProgress();

  // Each warning is a box owned by the progress window, shown the moment it arises.
  statements::DesktopDiagnostics diagnostics(env_.desktop, progress.Handle());
  operation_ = std::make_unique<ExportOperation>(
      ExportSeams{env_.library, env_.os, diagnostics, &progress, failures_}, edition_);
  operation_->set_ledger_observer(ledger_observer_);
  const ExportOutcome outcome = operation_->Run(request);
  ledger_line_count_ = outcome.ledger_lines;

  if (!outcome.written) {
    // The warning is owned by the progress window, which is still up; then it ends.
    ReportFailure(progress.Handle(), outcome.failure_detail);
    progress.End();
    env_.desktop.RestoreWaitCursor();
    env_.desktop.EndWaitCursor();
    return false;
  }
  written_ = outcome.report;

  // A host dictated the destination: the saved path stays the one the user chose last.
  std::optional<std::string> saved_path;
  if (!launched_by_host_) saved_path = request.destination;
  if (!dialog.WriteSavedSettings(static_cast<std::int16_t>(request.start_month),
                                 static_cast<std::int16_t>(request.end_month), request.equity_kind,
                                 dialog.ledger_requested, saved_path)) {
    written_.settings_failure = dialog.SettingsWriteFailure();
  }
  progress.End();
  env_.desktop.RestoreWaitCursor();
  env_.desktop.ShowMessage(progress.Handle(), kFinished, kTitle, ui::kInformation);
  env_.desktop.EndWaitCursor();
  return true;
}

void ExportApp::FillDialog(conditions::ConditionsDialog& dialog,
                           const app::UserSelection& selection,
                           const platform::StDATAINFO& record) {
  dialog.user_id = selection.user_id;
  dialog.data_id = text::FieldText(record.data_id);
  dialog.selection_numbers = {selection.first, selection.second};
  dialog.past_results_flag = record.introduction_month == 99 ? 1 : 0;
  dialog.fixed_output_path = launched_by_host_ ? handshake_.output_path : std::string();
  dialog.period_end_date = record.last_day;
  dialog.introduction_month = record.introduction_month;
  dialog.period_start_date = record.first_day;
  // " %s" in 51 bytes: a longer name is cut after its last whole character.
  dialog.company_name_text =
      " " + std::string(text::PrefixOnCharacterBoundary(text::FieldText(record.company_name), 49));
  dialog.period_text = PeriodText(record.first_day, record.last_day);
  dialog.company_law_flag = record.companies_act;
}

void ExportApp::ReportFailure(ui::WindowHandle owner, const std::string& detail) {
  env_.desktop.ShowMessage(owner, kWriteFailed, kTitle, ui::kWarning);
  env_.desktop.ShowDetail(detail.empty() ? failures_.Describe() : detail);
  result_code_ = kResultFailed;
}

void ExportApp::Exit() {
  operation_.reset();
  // Closed even when the connection never opened: the library tidies up after itself.
  platform::ClAccConnect& connection = env_.library.Connection();
  connection.LogOut();
  connection.Terminate();
  connection.Release();
  if (launched_by_host_) {
    ui::HostWindows& host = env_.host_windows;
    host.BringToForeground(handshake_.host_window);
    host.Enable(handshake_.host_window, true);
    host.PostToWindow(handshake_.host_window, handshake_.host_message, CompletionWParam(handshake_),
                      result_code_);
    host.Enable(handshake_.host_window, true);
  }
}

}  // namespace vintor::app
