#include "app/export_app.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "app/installation_check.h"
#include "app/note_text.h"
#include "app/totalling_conditions.h"
#include "report/read_back.h"
#include "statements/fixed_amount.h"
#include "statements/report_writer.h"
#include "statements/statement_aggregator.h"
#include "supplements/equity_statement.h"
#include "supplements/ledger_section.h"
#include "supplements/ledger_stream.h"
#include "supplements/notes_section.h"
#include "supplements/report_text_check.h"
#include "text/cp932.h"
#include "text/decimal.h"

namespace vintor::app {

namespace {

constexpr const char* kTitle = "決算書";
constexpr const char* kWriteFailed =
    "XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。";
constexpr const char* kFinished =
    "決算書情報の出力が終了しました。\n\nアプリケーションを終了します。";

// Notes whose content the report cannot carry, in the order the warning lists them.
struct UnsupportedNote {
  int display_index;
  const char* line;
};
constexpr std::array kUnsupportedNotes = {
    UnsupportedNote{32, "・会計上の見積もりに関する注記\n"},
    UnsupportedNote{20, "・会計上の見積もりの変更に関する注記\n"},
    UnsupportedNote{21, "・誤謬の訂正に関する注記\n"},
    UnsupportedNote{16, "・金融商品に関する注記\n"},
    UnsupportedNote{17, "・賃貸等不動産に関する注記\n"},
    UnsupportedNote{33, "・収益認識に関する注記\n"},
};

// " YYYY/MM/DD～YYYY/MM/DD" of the period, as the dialog shows it.
std::string PeriodText(std::int32_t first, std::int32_t last) {
  char text[51];
  std::snprintf(text, sizeof text, " %04d/%02d/%02d～%04d/%02d/%02d", first / 10000,
                first % 10000 / 100, first % 100, last / 10000, last % 10000 / 100, last % 100);
  return text;
}

// Unwinds the totalling when the library has failed (the failure is in the run's log) or
// the data cannot be written.
struct RunStopped {};

}  // namespace

// The warning for displayed notes that the tax application cannot take over; empty when
// none of them is displayed.
std::string UnsupportedNotesWarning(const std::uint8_t (&display_flags)[50]) {
  std::string lines;
  for (const UnsupportedNote& note : kUnsupportedNotes) {
    if (display_flags[note.display_index] != 0) lines += note.line;
  }
  if (lines.empty()) return lines;
  return "以下の注記は連動に対応していません。\nこれらの注記はCorvel上で手入力してください。\n\n" +
         lines + "\nこれらの注記を除いて処理を続行します。";
}

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
  // A company or tax settings the library fails to read would total the wrong company or
  // on the wrong tax basis: the run stops before the dialog.
  platform::StDATAINFO record{};
  platform::StSHOHIZEIINFO tax{};
  if (ReadSelectedDataRecord(&record)) ReadTaxSettings(&tax, record);

  const ui::WindowHandle parent = launched_by_host_ ? handshake_.host_window : 0;
  conditions::ConditionsDialog dialog(env_.library, env_.os, env_.desktop, env_.path_style,
                                      edition_.settings_file_name, parent);
  dialog.set_failure_log(&failures_);
  if (!failures_.failed()) FillDialog(dialog, record);
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
  return TotalAndWrite(dialog, record, tax);
}

bool ExportApp::TotalAndWrite(conditions::ConditionsDialog& dialog,
                              const platform::StDATAINFO& record,
                              const platform::StSHOHIZEIINFO& tax) {
  const std::int32_t start_month = text::ParseDecimal(dialog.start_month_text);
  const std::int32_t end_month = text::ParseDecimal(dialog.end_month_text);
  const std::string output_path = dialog.output_path;
  const std::int16_t equity_kind = dialog.equity_statement_kind;
  const std::int32_t ledger_requested = dialog.ledger_requested;

  ui::ProgressWindow progress(env_.progress_view);
  if (launched_by_host_) env_.host_windows.SetParent(progress.Handle(), handshake_.host_window);
  progress.Show();
  env_.desktop.BeginWaitCursor();
  progress.ResetProgress();

  statements::StatementAggregator aggregator(env_.library);
  // The ledger is extracted account by account as its section is written, so the run holds
  // one account's lines at a time.
  supplements::LedgerStream ledger(env_.library, &progress, &failures_);
  ledger.set_observer(ledger_observer_);
  // Characters a strict Shift_JIS reader refuses are written as they are, and listed.
  supplements::NonJisTextList non_jis_texts;
  ledger.set_non_jis_texts(&non_jis_texts);
  aggregator.set_failure_log(&failures_);
  aggregator.set_progress_window(&progress);
  aggregator.set_line_list(&statement_lines_);
  aggregator.set_ledger_requested(ledger_requested != 0);
  aggregator.set_ledger_extractor(&ledger);
  statements::ReportWriter writer(env_.os, env_.desktop, edition_.product_display_name);
  writer.set_progress_window(&progress);
  writer.set_line_list(&statement_lines_);
  writer.set_owner_window(progress.Handle());
  writer.set_equity_choice(equity_kind);
  // The complete file is read back and compared with what was meant before it replaces the
  // destination, and the statements are checked against each other on what was read.
  report::ReadBack read_back;
  writer.set_written_report_check(&read_back);

  platform::StFINDINFO find{};
  bool written = false;
  std::string failure_detail;
  try {
    // Any library failure while totalling or reading the notes ends the run before a byte
    // of the report is written, and one while the ledger is extracted ends it before the
    // report replaces anything: a report with some accounts, ledger lines or notes missing
    // would look complete.
    const bool totalled = BuildTotallingConditions(env_.library, &find, &record, start_month,
                                                   end_month, &failures_) &&
                          aggregator.Run(tax.tax_included != 0, find, record);

    std::int32_t notes_enabled = 0;
    std::uint8_t display_flags[statements::kNoteDisplayFlagCount] = {};
    if (totalled && aggregator.ReadNotesMode() && aggregator.ReadNotesEntered()) {
      aggregator.ReadDisplayFlags(display_flags);
      notes_enabled = 1;
      std::string note_text;
      aggregator.ReadNoteText(&note_text);
      note_lines_ = SplitNoteText(note_text);
      const std::string warning = UnsupportedNotesWarning(display_flags);
      if (!warning.empty() && !aggregator.notes_failed())
        env_.desktop.ShowMessage(progress.Handle(), warning, kTitle, ui::kWarning);
    }
    if (!totalled || aggregator.notes_failed()) throw RunStopped();

    // A text no XML file can hold is refused before the destination is touched, naming where
    // it is: the ledger's as each account is extracted.
    failure_detail = supplements::FindUnwritableReportText(text::FieldText(record.company_name),
                                                           statement_lines_, note_lines_);
    if (!failure_detail.empty()) throw RunStopped();
    non_jis_texts.CheckStatements(text::FieldText(record.company_name), statement_lines_,
                                  note_lines_);

    writer.set_notes_flag(notes_enabled);
    written_.notes = notes_enabled != 0;
    // After the statements, in this order: equity, notes (when enabled), general ledger.
    supplements::EquityStatementSection equity(statement_lines_, equity_kind);
    supplements::NotesSection notes(note_lines_, display_flags, notes_enabled);
    supplements::LedgerSection ledger_section(statement_lines_, ledger);
    writer.set_data_sections({&equity, &notes, &ledger_section});
    writer.set_start_position(static_cast<std::int16_t>(aggregator.progress_position()));
    const std::int16_t function_number =
        launched_by_host_ ? handshake_.function_number : kStandAloneFunctionNumber;
    written = writer.WriteReport(output_path, function_number, record);
    ledger_line_count_ = ledger.entries_handed_out();
    // The ledger could not be extracted or held a text no XML file can hold: the failure is
    // the library's or the text's, not the destination's.
    if (!written && !ledger.unwritable_text().empty()) {
      failure_detail = ledger.unwritable_text();
    } else if (!written && failures_.failed()) {
      failure_detail.clear();
    } else if (!written && !writer.refusal().empty()) {
      failure_detail = "出力先 " + output_path + ": " + writer.refusal();
    } else if (!written) {
      // The file could not be written: the user learns where and, when the system said, why.
      failure_detail = "出力先 " + output_path;
      if (const std::string reason = os::LastFailureReason(); !reason.empty())
        failure_detail += ": " + reason;
    }
  } catch (const statements::FixedAmountOverflow&) {
    // An amount too large to total: nothing is written, the run fails like a failed write.
    written = false;
  } catch (const RunStopped&) {
    written = false;
  }

  if (!written) {
    // The warning is owned by the progress window, which is still up; then it ends.
    ReportFailure(progress.Handle(), failure_detail);
    progress.End();
    env_.desktop.RestoreWaitCursor();
    env_.desktop.EndWaitCursor();
    return false;
  }

  non_jis_texts.Check("製品名（SUPPORT.INF）", writer.product_information().name);
  non_jis_texts.Check("製品バージョン（SUPPORT.INF）", writer.product_information().version);
  if (const std::string warning = non_jis_texts.Warning(); !warning.empty()) {
    env_.desktop.ShowMessage(progress.Handle(), warning, kTitle, ui::kWarning);
  }
  written_.checks = read_back.cross_checks();
  if (const std::string warning = checks::FailedChecksWarning(written_.checks); !warning.empty()) {
    env_.desktop.ShowMessage(progress.Handle(), warning, kTitle, ui::kWarning);
  }

  written_.path = output_path;
  written_.cost_schedule = record.has_cost_schedule != 0;
  written_.equity_kind = equity_kind;
  written_.ledger = ledger_requested != 0;

  // A host dictated the destination: the saved path stays the one the user chose last.
  std::optional<std::string> saved_path;
  if (!launched_by_host_) saved_path = output_path;
  if (!dialog.WriteSavedSettings(static_cast<std::int16_t>(start_month),
                                 static_cast<std::int16_t>(end_month), equity_kind,
                                 ledger_requested, saved_path)) {
    written_.settings_failure = dialog.SettingsWriteFailure();
  }
  progress.End();
  env_.desktop.RestoreWaitCursor();
  env_.desktop.ShowMessage(progress.Handle(), kFinished, kTitle, ui::kInformation);
  env_.desktop.EndWaitCursor();
  return true;
}

void ExportApp::FillDialog(conditions::ConditionsDialog& dialog,
                           const platform::StDATAINFO& record) {
  platform::ClSysUser* users = env_.library.DataManager().GetSysUserObject();
  char user_id[65] = {};
  std::int32_t first = 0;
  std::int32_t second = 0;
  if (users != nullptr) {
    if (const int code = users->GetCurUserID(user_id, sizeof user_id); code != platform::kSuccess)
      failures_.Record("ClSysUser::GetCurUserID", code);
    else if (const int code2 = users->GetSelectedNo(user_id, &first, &second);
             code2 != platform::kSuccess)
      failures_.Record("ClSysUser::GetSelectedNo", code2);
  }
  dialog.user_id = text::FieldText(user_id);
  dialog.data_id = text::FieldText(record.data_id);
  dialog.selection_numbers = {first, second};
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

bool ExportApp::ReadSelectedDataRecord(platform::StDATAINFO* record) {
  platform::ClDataMgr& data = env_.library.DataManager();
  auto* companies = data.GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  platform::ClSysUser* users = data.GetSysUserObject();
  if (companies == nullptr || users == nullptr) {
    failures_.Record(
        companies == nullptr ? "ClDataMgr::GetSetObject(5)" : "ClDataMgr::GetSysUserObject", -1);
    return false;
  }
  const auto failed = [&](const char* call, int code) {
    if (code == platform::kSuccess) return false;
    failures_.Record(call, code);
    return true;
  };
  char user_id[65] = {};
  std::int32_t first = 0;
  std::int32_t second = 0;
  if (failed("ClSysUser::GetCurUserID", users->GetCurUserID(user_id, sizeof user_id)) ||
      failed("ClSysUser::GetSelectedNo", users->GetSelectedNo(user_id, &first, &second))) {
    return false;
  }

  std::memset(record, 0, sizeof *record);
  platform::SetCursor cursor = nullptr;
  if (failed("ClSetData::GetDatCursor", companies->GetDatCursor(&cursor))) return false;
  bool found = false;
  if (!failed("ClSetData::ReadyDat", companies->ReadyDat(cursor, 0))) {
    platform::StDATAINFO candidate{};
    for (;;) {
      const int code = companies->WalkDat(&candidate, cursor);
      if (code == platform::kEndOfRecords) break;
      // A walk cut short by an error could pass over the selected company and make the
      // dialog refuse data that is there.
      if (failed("ClSetData::WalkDat", code)) break;
      if (candidate.data_number == second) {
        *record = candidate;
        found = true;
        break;
      }
    }
  }
  failed("ClSetData::ReleaseDatCursor", companies->ReleaseDatCursor(cursor));
  return found && !failures_.failed();
}

bool ExportApp::ReadTaxSettings(platform::StSHOHIZEIINFO* settings,
                                const platform::StDATAINFO& company) {
  platform::ClDataMgr& data = env_.library.DataManager();
  auto* tax = data.GetSet<platform::ClSetShohizei>(platform::kSetTax, 1);
  if (tax == nullptr) {
    failures_.Record("ClDataMgr::GetSetObject(4)", -1);
    return false;
  }
  const std::string data_id(text::FieldText(company.data_id));
  const std::string subject = "データID " + data_id;
  const auto failed = [&](const char* call, int code) {
    if (code == platform::kSuccess) return false;
    failures_.Record(call, code, subject);
    return true;
  };
  if (failed("ClSetShohizei::AttachSetMgr", tax->AttachSetMgr(data.GetSetMgr())) ||
      failed("ClSetShohizei::SetCurDataID", tax->SetCurDataID(data_id.c_str()))) {
    return false;
  }
  platform::StSHOHIZEIINFO read{};
  const int code = tax->Get(&read);
  // A company that keeps no tax settings totals without tax, as zero settings say. A read
  // that fails would total on the other basis without a word, so it fails the run.
  if (code == platform::kEndOfRecords) return false;
  if (failed("ClSetShohizei::Get", code)) return false;
  *settings = read;
  return true;
}

void ExportApp::ReportFailure(ui::WindowHandle owner, const std::string& detail) {
  env_.desktop.ShowMessage(owner, kWriteFailed, kTitle, ui::kWarning);
  env_.desktop.ShowDetail(detail.empty() ? failures_.Describe() : detail);
  result_code_ = kResultFailed;
}

void ExportApp::Exit() {
  statement_lines_.Clear();
  note_lines_.clear();
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
