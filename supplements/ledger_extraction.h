// The general ledger of the chosen months, account by account, as LedgerEntry records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "app/era_date_text.h"
#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"
#include "statements/account_ledger_extractor.h"
#include "statements/fixed_amount.h"
#include "supplements/ledger_entry.h"
#include "ui/progress_window.h"

namespace vintor::supplements {

// Reads the ledger lines of each account the aggregation hands over, through the library's
// ledger cursor, and appends one LedgerEntry per line that carries an amount: its era date,
// the counter account (its name, or 諸口 when the other side of the voucher is several
// accounts), the sub-account names, the description, the amount in the account's own
// direction and the running balance from the balance carried into the first month.
//
// Only posting accounts (kind 0) with a ledger of their own are read; total accounts, the
// accounts without a ledger and those left out of the totals are skipped. Lines whose
// counter account is left out of the totals, and lines of a tax account that do not
// touch it, yield no entry and do not change the balance.
//
// The ledger cursor is created with the first account that is read and kept for the
// others; the journal cursor of the compound-voucher check is created when first needed
// and kept too. Both are owned by the extractor and must not outlive the library.
class LedgerExtractor : public statements::AccountLedgerExtractor {
 public:
  // The library and the entry list are not owned and must outlive the extractor. progress
  // may be null (no activity is shown); when set it is pulsed once before every line.
  // failures may be null; when set, every library failure is recorded there.
  LedgerExtractor(platform::AccountingLibrary& library, LedgerEntryList& entries,
                  ui::ProgressWindow* progress, platform::LibraryFailureLog* failures = nullptr);
  ~LedgerExtractor() override;
  LedgerExtractor(const LedgerExtractor&) = delete;
  LedgerExtractor& operator=(const LedgerExtractor&) = delete;

  // Appends the entries of one account for the range of find (its first block holds the
  // first fiscal month, its second the last month or closing period 15). tax_included
  // picks the totals and the amounts with consumption tax.
  //
  // Every line the library counts is read, however many there are.
  //
  // True when the account was skipped or its ledger read to the end (or to the count the
  // library gave). False when the selected company or a cursor is missing, any library call
  // fails (the ledger and journal cursors, the period, the account lookups, the era table;
  // end-of-records and an account that is not in the chart are not failures), or an entry
  // cannot be stored; the entries appended so far stay and the failure is in the log.
  // Throws statements::FixedAmountOverflow only for a balance beyond the 64-bit range,
  // which the books cannot hold.
  bool ExtractAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                            const platform::StFINDINFO& find,
                            const platform::StKAMOKUSUMINFO& totals) override;

  // The same extraction in parts, so that a long ledger need not be held whole: Begin
  // prepares the account (the cursor calls up to the count) and sets *more when it has lines
  // to read; each Continue then appends the entries of at most max_entries more lines that
  // yield one and sets *more while lines remain. company must stay in place until the
  // account is done, and no other account may begin meanwhile. Failures as above.
  bool BeginAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                          const platform::StFINDINFO& find, const platform::StKAMOKUSUMINFO& totals,
                          bool* more);
  bool ContinueAccountLedger(std::size_t max_entries, bool* more);

 private:
  struct Account {
    bool tax_included;
    std::int32_t key;
    std::int32_t main_code;
    bool debit_natured;
    bool tax_account;
  };
  // The account whose ledger is being read.
  struct Walk {
    Account account{};
    const platform::StDATAINFO* company = nullptr;
    statements::FixedAmount balance;
    std::int32_t count = 0;  // lines the library counted
    std::int32_t read = 0;   // lines read so far
  };

  bool PrepareLedgerCursor(const platform::StDATAINFO& company);
  // The account and dates the ledger cursor shows for this account; false when the
  // accounting period cannot be set up.
  bool DescribeLedger(const platform::StFINDINFO& find, const platform::StKAMOKUSUMINFO& totals,
                      platform::StMOTOCHOHYOJIINFO* display);
  // Appends the entry of the line just read, if it yields one. False when the extraction of
  // the account must end (the journal cursor or the entry cannot be allocated).
  bool ExtractLine(const Account& account, const platform::StDATAINFO& company,
                   statements::FixedAmount* balance);
  // True when the lines of the voucher before the line numbered line_number do not balance
  // (debit plus tax against credit plus tax). *read is false (and the failure recorded)
  // when the voucher could not be read.
  bool VoucherUnbalancedBefore(const platform::StDATAINFO& company, std::int32_t journal_key,
                               std::int32_t line_number, bool* read);
  // Looks an account up in the chart by main code or full key; *account then points at its
  // record (all zero when the account is not found), kept by the extractor. False when the
  // lookup fails. The chart does not change during a run, so each code is asked of the
  // library once.
  bool LookUpAccount(std::int32_t code, const platform::StKAMOKUINFO** account);
  // The era date of a line into its entry; ledger lines come in date order, so the text of
  // the last date is kept. False when the era table cannot be read.
  bool FormatDate(std::int32_t date, char (&text)[31]);
  // Records a failed call for the account being extracted; always false.
  bool Fail(const std::string& call, int code);
  platform::ClSetKamoku* AccountSet();

  platform::AccountingLibrary& library_;
  LedgerEntryList& entries_;
  ui::ProgressWindow* progress_;
  platform::LibraryFailureLog* failures_;
  app::EraDateFormatter era_dates_;
  // The account being extracted, named in a failure.
  std::int32_t current_key_ = 0;
  std::string data_id_;  // of the company whose ledger is read
  std::string current_name_;

  std::unique_ptr<platform::ClRuleMotocho> ledger_;
  std::unique_ptr<platform::ClRuleShiwake> journal_;
  std::unique_ptr<platform::ClAccPeriod> period_;

  // The conditions and order handed to the cursors; only the operands change per use.
  platform::StFINDINFO ledger_find_{};
  platform::StFINDINFO voucher_find_{};
  platform::StFINDINFO account_find_{};
  platform::StORDERINFO order_{};

  // Records reused for every line, so a line costs no allocation.
  platform::StMOTOCHOINFO line_{};
  platform::StSWKTINFO voucher_line_{};

  Walk walk_;
  std::unordered_map<std::int32_t, platform::StKAMOKUINFO> accounts_looked_up_;
  std::int32_t last_date_ = 0;
  char last_date_text_[31] = {};

  // The chart set last handed out and its ClSetKamoku view (see AccountSet).
  platform::ClSetBase* last_account_set_ = nullptr;
  platform::ClSetKamoku* last_kamoku_ = nullptr;
};

}  // namespace vintor::supplements
