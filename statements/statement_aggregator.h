// The totalling of every account over the chosen month range into statement lines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"
#include "statements/account_ledger_extractor.h"
#include "statements/fixed_amount.h"
#include "statements/saved_notes.h"
#include "statements/statement_line_list.h"
#include "ui/progress_window.h"

namespace vintor::statements {

// Reads every account total once through the library's account-sum cursor and appends one
// StatementLine per account (balance before the range, movement, balance at its end) to the
// line list. Total accounts (gross profit and so on) come through the same cursor with their
// own characters and are stored like any other account; nothing is added up across accounts.
//
// Use: construct, set the links, Run once, ask the notes queries, read progress_position(),
// destroy. The links are not owned and must outlive the run; the progress window and the
// extractor may be left null (no progress shown, no ledger extracted).
class StatementAggregator {
 public:
  // The account character of the net-assets account whose balance before the range is
  // carried into the closing balance of the last kCarryOverTarget line.
  static constexpr std::uint32_t kCarryOverSource = 0x80202010;
  static constexpr std::uint32_t kCarryOverTarget = 0x40200020;

  // library is not owned and must outlive the aggregator.
  explicit StatementAggregator(platform::AccountingLibrary& library);
  ~StatementAggregator();
  StatementAggregator(const StatementAggregator&) = delete;
  StatementAggregator& operator=(const StatementAggregator&) = delete;

  void set_progress_window(ui::ProgressWindow* window) { progress_window_ = window; }
  void set_line_list(StatementLineList* lines) { lines_ = lines; }
  void set_ledger_requested(bool requested) { ledger_requested_ = requested; }
  void set_ledger_extractor(AccountLedgerExtractor* extractor) { ledger_extractor_ = extractor; }
  // Where the library's failures are recorded; may be null (they still fail the run).
  void set_failure_log(platform::LibraryFailureLog* log) { failures_ = log; }

  // Totals every account for the range of find (its first block holds the first fiscal
  // month, its second the last; a further block naming period 18 adds the year-end closing
  // slot, one naming period 15 the interim closing slot, wherever they stand in the chain)
  // and appends the lines. tax_included chooses the totals with consumption tax. Every
  // account the library counts is read, however many there are.
  //
  // True on success. False when no line list is set, the cursor cannot be created or pointed
  // at the company, any library call fails (an end-of-records answer is not a
  // failure), the ledger of an account cannot be extracted, or a line cannot be stored; the
  // lines appended so far stay in the list and a library failure is in the failure log.
  // Throws FixedAmountOverflow when a closing balance reaches 10^14 yen: the run must then
  // stop without a report.
  bool Run(bool tax_included, const platform::StFINDINFO& find,
           const platform::StDATAINFO& company);

  // Where the progress display stands after the run; the report writer continues from there.
  double progress_position() const { return progress_position_; }

  // The company whose notes are read; Run sets it too.
  void set_company(const platform::StDATAINFO& company) { company_ = company; }

  // The saved notes of the company of set_company or the last Run, read from the statements saved
  // in the books. Each query reads its text afresh through a new saved-statement reader. A text the
  // company does not have (the library answers end-of-records) makes the query answer
  // false. Any other failure (no Run before, no reader, an error code) makes it answer
  // false too and is recorded in the failure log: check notes_failed() before trusting a
  // false answer. Every buffer the library hands out is freed before the query returns.
  //
  // True when the saved notes are kept in the linked input mode ("InputMode" positive).
  bool ReadNotesMode();
  // True when the user has entered notes ("Note=" positive).
  bool ReadNotesEntered();
  // Stores the display flag of each saved note section, in order, into flags (at most
  // kNoteDisplayFlagCount; the caller zeroes them first, entries not stored are left as they
  // are). True when the text was read, even if it has no section.
  bool ReadDisplayFlags(std::span<std::uint8_t> flags);
  // The saved note records as one text. False, and text untouched, when it cannot be read.
  bool ReadNoteText(std::string* text);
  // True when a notes query failed (rather than found no text).
  bool notes_failed() const { return notes_failed_; }

 private:
  // The range and options of one run, read once from the search condition and company.
  struct Range;

  bool PrepareCursor();
  static Range ReadRange(bool tax_included, const platform::StFINDINFO& find,
                         std::int16_t introduction_month);
  // Totals one account and stores its line (unless its kind takes none). False when the
  // line cannot be stored.
  bool TotalAccount(const platform::StKAMOKUSUMINFO& totals, const Range& range,
                    FixedAmount* carry_over);
  void CarryOver(const FixedAmount& carry_over);
  // Records a failed library call; always false, so a caller can return it.
  bool Fail(const char* call, int code, std::string subject = {});
  void Advance(double from, double to);
  void Pulse();
  // Reads the saved text of a data kind (platform::kSavedNotes...) through a new
  // saved-statement reader, which replaces the previous one. False when it cannot be read;
  // the library's buffer is freed either way.
  bool ReadSavedText(int kind, std::string* text);

  platform::AccountingLibrary& library_;
  ui::ProgressWindow* progress_window_ = nullptr;
  StatementLineList* lines_ = nullptr;
  bool ledger_requested_ = false;
  AccountLedgerExtractor* ledger_extractor_ = nullptr;
  double progress_position_ = 0.0;
  double progress_step_ = 1.0;
  platform::LibraryFailureLog* failures_ = nullptr;
  bool notes_failed_ = false;
  std::unique_ptr<platform::ClRuleKamoku> cursor_;
  std::optional<platform::StDATAINFO> company_;  // of the last Run
  // Declared after the cursor so that it is destroyed first.
  std::unique_ptr<platform::ClSaveKessansho> saved_reader_;
};

}  // namespace vintor::statements
