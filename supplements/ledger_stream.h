// The general ledger extracted account by account while the report is written, so that the
// run holds a few thousand ledger lines at a time instead of the whole company's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"
#include "statements/account_ledger_extractor.h"
#include "supplements/ledger_entry.h"
#include "supplements/ledger_extraction.h"
#include "supplements/report_text_check.h"
#include "ui/progress_window.h"

namespace vintor::supplements {

// The aggregation hands over every account (ExtractAccountLedger only notes it); the ledger
// section then asks for the entries part by part (Next): each account is extracted with
// LedgerExtractor, at most kPartEntries lines at a time, and each part's texts are checked
// (CheckLedgerTexts) just before it is written. The entries, their order and the library calls made
// for each account are those of an extraction done during the aggregation.
class LedgerStream : public statements::AccountLedgerExtractor, public LedgerEntrySource {
 public:
  // The library must outlive the stream; progress and failures may be null (as for
  // LedgerExtractor, which reports its library failures into failures).
  LedgerStream(platform::AccountingLibrary& library, ui::ProgressWindow* progress,
               platform::LibraryFailureLog* failures);

  // Notes the account for extraction when the report is written; always true.
  bool ExtractAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                            const platform::StFINDINFO& find,
                            const platform::StKAMOKUSUMINFO& totals) override;

  // Entries of one account handed out at a time at most: about a megabyte.
  static constexpr std::size_t kPartEntries = 4096;

  // The next entries: a part of the ledger of the account being read, or of the next noted
  // account that has any. kFailed when the extraction fails
  // (the library failure is in the log) or a text of the account's ledger cannot be written
  // (unwritable_text() says where). Throws statements::FixedAmountOverflow as the extractor
  // does.
  Answer Next(LedgerEntryList* entries) override;

  // Where a ledger text no XML file can hold was met, for the user; empty otherwise.
  const std::string& unwritable_text() const { return unwritable_text_; }
  // The entries handed out so far.
  std::uint64_t entries_handed_out() const { return handed_out_; }
  // Where the texts of the entries handed out are checked for characters outside JIS X 0208;
  // may stay null. Not owned.
  void set_non_jis_texts(NonJisTextList* list) { non_jis_texts_ = list; }
  // Called with every entry handed out, in order; for checks that need each line.
  void set_observer(std::function<void(const LedgerEntry&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  // The records are packed; kept at 8-byte boundaries their amounts stay aligned as the
  // library hands them out, so code that reads them by reference reads them aligned.
  struct Account {
    bool tax_included;
    alignas(8) platform::StDATAINFO company;
    alignas(8) platform::StFINDINFO find;
    alignas(8) platform::StKAMOKUSUMINFO totals;
  };

  std::vector<Account> accounts_;
  std::size_t next_account_ = 0;
  bool in_account_ = false;    // an account has begun and has lines left
  LedgerEntryList extracted_;  // the extractor appends here
  LedgerExtractor extractor_;
  std::string unwritable_text_;
  std::uint64_t handed_out_ = 0;
  std::function<void(const LedgerEntry&)> observer_;
  NonJisTextList* non_jis_texts_ = nullptr;
};

}  // namespace vintor::supplements
