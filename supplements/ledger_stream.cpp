#include "supplements/ledger_stream.h"

#include "supplements/report_text_check.h"

namespace vintor::supplements {

LedgerStream::LedgerStream(platform::AccountingLibrary& library, ui::ProgressWindow* progress,
                           platform::LibraryFailureLog* failures)
    : extractor_(library, extracted_, progress, failures) {}

bool LedgerStream::ExtractAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                                        const platform::StFINDINFO& find,
                                        const platform::StKAMOKUSUMINFO& totals) {
  accounts_.push_back({tax_included, company, find, totals});
  return true;
}

LedgerEntrySource::Answer LedgerStream::Next(LedgerEntryList* entries) {
  for (;;) {
    if (!in_account_) {
      if (next_account_ >= accounts_.size()) return Answer::kEnd;
      const Account& account = accounts_[next_account_++];
      if (!extractor_.BeginAccountLedger(account.tax_included, account.company, account.find,
                                         account.totals, &in_account_)) {
        return Answer::kFailed;
      }
      continue;
    }
    extracted_.clear();
    if (!extractor_.ContinueAccountLedger(kPartEntries, &in_account_)) return Answer::kFailed;
    if (extracted_.empty()) continue;
    unwritable_text_ = CheckLedgerTexts(extracted_, non_jis_texts_);
    if (!unwritable_text_.empty()) return Answer::kFailed;
    handed_out_ += extracted_.size();
    if (observer_) {
      for (const LedgerEntry& entry : extracted_) observer_(entry);
    }
    // The extractor keeps appending to its own list; the caller's takes the part.
    entries->swap(extracted_);
    return Answer::kEntries;
  }
}

}  // namespace vintor::supplements
