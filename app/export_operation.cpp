#include "app/export_operation.h"

#include <array>
#include <utility>

#include "app/company_records.h"
#include "app/note_text.h"
#include "app/totalling_conditions.h"
#include "checks/cross_checks.h"
#include "checks/report_figures.h"
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

namespace vintor::app {

namespace {

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

// Unwinds the export when the library has failed (the failure is in the log) or the data
// cannot be written.
struct ExportStopped {};

// Passes every warning on and keeps a copy for the outcome.
class KeptDiagnostics : public statements::Diagnostics {
 public:
  KeptDiagnostics(statements::Diagnostics& target, std::vector<std::string>* kept)
      : target_(target), kept_(kept) {}
  void Warn(const std::string& text) override {
    kept_->push_back(text);
    target_.Warn(text);
  }

 private:
  statements::Diagnostics& target_;
  std::vector<std::string>* kept_;
};

}  // namespace

std::string UnsupportedNotesWarning(const std::uint8_t (&display_flags)[50]) {
  std::string lines;
  for (const UnsupportedNote& note : kUnsupportedNotes) {
    if (display_flags[note.display_index] != 0) lines += note.line;
  }
  if (lines.empty()) return lines;
  return "以下の注記は連動に対応していません。\nこれらの注記はCorvel上で手入力してください。\n\n" +
         lines + "\nこれらの注記を除いて処理を続行します。";
}

ExportOperation::ExportOperation(ExportSeams seams, Edition edition)
    : seams_(seams), edition_(std::move(edition)) {}

ExportOutcome ExportOperation::Run(const ExportRequest& request) {
  const std::int64_t started = os::MonotonicMilliseconds();
  ExportOutcome outcome;
  outcome.written = Export(request, &outcome);
  outcome.statement_lines = statement_lines_.size();
  outcome.seconds = static_cast<double>(os::MonotonicMilliseconds() - started) / 1000.0;
  return outcome;
}

bool ExportOperation::Export(const ExportRequest& request, ExportOutcome* outcome) {
  platform::LibraryFailureLog& failures = seams_.failures;
  KeptDiagnostics diagnostics(seams_.diagnostics, &outcome->warnings);

  platform::StDATAINFO record{};
  if (!FindCompanyRecord(seams_.library, request.data_number, &record, failures)) {
    if (!failures.failed()) {
      outcome->failure_detail =
          "会計データ " + std::to_string(request.data_number) + " がありません";
    }
    return false;
  }
  // A company that keeps no tax settings totals without tax; one whose settings cannot be
  // read would total on the wrong basis.
  platform::StSHOHIZEIINFO tax{};
  ReadTaxSettings(seams_.library, record, &tax, failures);
  if (failures.failed()) return false;

  statements::StatementAggregator aggregator(seams_.library);
  // The ledger is extracted account by account as its section is written, so the run holds
  // one account's lines at a time.
  supplements::LedgerStream ledger(seams_.library, seams_.progress, &failures);
  ledger.set_observer(ledger_observer_);
  // Characters a strict Shift_JIS reader refuses are written as they are, and listed.
  supplements::NonJisTextList non_jis_texts;
  ledger.set_non_jis_texts(&non_jis_texts);
  aggregator.set_failure_log(&failures);
  aggregator.set_progress_window(seams_.progress);
  aggregator.set_line_list(&statement_lines_);
  aggregator.set_ledger_requested(request.ledger);
  aggregator.set_ledger_extractor(&ledger);
  statements::ReportWriter writer(seams_.os, diagnostics, edition_.product_display_name);
  writer.set_progress_window(seams_.progress);
  writer.set_line_list(&statement_lines_);
  writer.set_equity_choice(request.equity_kind);
  // The complete file is read back and compared with what was meant before it replaces the
  // destination. The statements are checked against each other on what was read, the ledger
  // on what was written (the read-back compares it by its bytes and does not parse it).
  report::ReadBack read_back;
  checks::ReportFigures ledger_figures;
  writer.set_written_report_check(&read_back);

  platform::StFINDINFO find{};
  bool written = false;
  std::string& failure_detail = outcome->failure_detail;
  bool notes_enabled = false;
  try {
    // Any library failure while totalling or reading the notes ends the run before a byte
    // of the report is written, and one while the ledger is extracted ends it before the
    // report replaces anything: a report with some accounts, ledger lines or notes missing
    // would look complete.
    const bool totalled =
        BuildTotallingConditions(seams_.library, &find, &record, request.start_month,
                                 request.end_month, &failures) &&
        aggregator.Run(tax.tax_included != 0, find, record);

    std::uint8_t display_flags[statements::kNoteDisplayFlagCount] = {};
    if (totalled && aggregator.ReadNotesMode() && aggregator.ReadNotesEntered()) {
      aggregator.ReadDisplayFlags(display_flags);
      notes_enabled = true;
      std::string note_text;
      aggregator.ReadNoteText(&note_text);
      note_lines_ = SplitNoteText(note_text);
      const std::string warning = UnsupportedNotesWarning(display_flags);
      if (!warning.empty() && !aggregator.notes_failed()) diagnostics.Warn(warning);
    }
    if (!totalled || aggregator.notes_failed()) throw ExportStopped();

    // A text no XML file can hold is refused before the destination is touched, naming where
    // it is: the ledger's as each account is extracted.
    failure_detail = supplements::FindUnwritableReportText(text::FieldText(record.company_name),
                                                           statement_lines_, note_lines_);
    if (!failure_detail.empty()) throw ExportStopped();
    non_jis_texts.CheckStatements(text::FieldText(record.company_name), statement_lines_,
                                  note_lines_);

    writer.set_notes_flag(notes_enabled ? 1 : 0);
    // After the statements, in this order: equity, notes (when enabled), general ledger.
    supplements::EquityStatementSection equity(statement_lines_, request.equity_kind);
    supplements::NotesSection notes(note_lines_, display_flags, notes_enabled ? 1 : 0);
    supplements::LedgerSection ledger_section(statement_lines_, ledger);
    ledger_section.set_figures(&ledger_figures);
    writer.set_data_sections({&equity, &notes, &ledger_section});
    writer.set_start_position(static_cast<std::int16_t>(aggregator.progress_position()));
    written = writer.WriteReport(request.destination, request.function_number, record);
    outcome->ledger_lines = ledger.entries_handed_out();
    // The ledger could not be extracted or held a text no XML file can hold: the failure is
    // the library's or the text's, not the destination's.
    if (!written && !ledger.unwritable_text().empty()) {
      failure_detail = ledger.unwritable_text();
    } else if (!written && failures.failed()) {
      failure_detail.clear();
    } else if (!written && !writer.refusal().empty()) {
      failure_detail = "出力先 " + request.destination + ": " + writer.refusal();
    } else if (!written) {
      // The file could not be written: the user learns where and, when the system said, why.
      failure_detail = "出力先 " + request.destination;
      if (const std::string reason = os::LastFailureReason(); !reason.empty())
        failure_detail += ": " + reason;
    }
  } catch (const statements::FixedAmountOverflow&) {
    // An amount too large to total: nothing is written, the run fails like a failed write.
    written = false;
  } catch (const ExportStopped&) {
    written = false;
  }
  if (!written) return false;

  non_jis_texts.Check("製品名（SUPPORT.INF）", writer.product_information().name);
  non_jis_texts.Check("製品バージョン（SUPPORT.INF）", writer.product_information().version);
  if (const std::string warning = non_jis_texts.Warning(); !warning.empty()) {
    diagnostics.Warn(warning);
  }
  WrittenReport& report = outcome->report;
  report.path = request.destination;
  report.cost_schedule = record.has_cost_schedule != 0;
  report.equity_kind = request.equity_kind;
  report.notes = notes_enabled;
  report.ledger = request.ledger;
  checks::ReportFigures figures = read_back.figures();
  figures.has_ledger = ledger_figures.has_ledger;
  figures.ledger = std::move(ledger_figures.ledger);
  report.checks = checks::RunCrossChecks(figures);
  outcome->bytes_written = writer.bytes_written();
  if (const std::string warning = checks::FailedChecksWarning(report.checks); !warning.empty()) {
    diagnostics.Warn(warning);
  }
  return true;
}

}  // namespace vintor::app
