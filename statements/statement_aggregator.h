// The totalling of every account over the chosen month range into statement lines.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/library.h"
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
  // The account loop counts with 16 bits: no more accounts than this are read.
  static constexpr std::int32_t kMaxAccounts = 32'767;

  // library is not owned and must outlive the aggregator.
  explicit StatementAggregator(platform::AccountingLibrary& library);
  ~StatementAggregator();
  StatementAggregator(const StatementAggregator&) = delete;
  StatementAggregator& operator=(const StatementAggregator&) = delete;

  void set_progress_window(ui::ProgressWindow* window) { progress_window_ = window; }
  void set_line_list(StatementLineList* lines) { lines_ = lines; }
  void set_ledger_requested(bool requested) { ledger_requested_ = requested; }
  void set_ledger_extractor(AccountLedgerExtractor* extractor) { ledger_extractor_ = extractor; }

  // Totals every account for the range of find (its first block holds the first fiscal
  // month, its second the last; a third block for period 18 adds the year-end closing) and
  // appends the lines. tax_included chooses the totals with consumption tax.
  //
  // True on success. False when no line list is set, the cursor cannot be created or pointed
  // at the selected company, the library fails to count, position or deliver the accounts
  // (an end-of-records answer is not a failure), or a line cannot be stored; the lines
  // appended so far stay in the list. Throws FixedAmountOverflow when a closing balance
  // reaches 10^14 yen: the run must then stop without a report.
  bool Run(bool tax_included, const platform::StFINDINFO& find,
           const platform::StDATAINFO& company);

  // Where the progress display stands after the run; the report writer continues from there.
  double progress_position() const { return progress_position_; }

  // The saved notes of the selected company, read from the statements saved in the books.
  // Each query reads its text afresh through a new saved-statement reader; a text that
  // cannot be read (no selected company, no reader, the library answers an error or no
  // buffer) makes the query answer false and is not reported. Every buffer the library
  // hands out is freed before the query returns.
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

 private:
  // The range and options of one run, read once from the search condition and company.
  struct Range;

  bool PrepareCursor();
  // Totals one account and stores its line (unless its kind takes none). False when the
  // line cannot be stored.
  bool TotalAccount(const platform::StKAMOKUSUMINFO& totals, const Range& range,
                    FixedAmount* carry_over);
  void CarryOver(const FixedAmount& carry_over);
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
  std::unique_ptr<platform::ClRuleKamoku> cursor_;
  // Declared after the cursor so that it is destroyed first.
  std::unique_ptr<platform::ClSaveKessansho> saved_reader_;
};

}  // namespace vintor::statements
