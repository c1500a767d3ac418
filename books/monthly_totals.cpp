#include "books/monthly_totals.h"

#include "books/accounting_period.h"
#include "books/tax_accounts.h"

namespace vintor::books {
namespace {

bool AddChecked(std::int64_t* total, std::int64_t amount) {
  return !__builtin_add_overflow(*total, amount, total);
}

bool SubtractChecked(std::int64_t* total, std::int64_t amount) {
  return !__builtin_sub_overflow(*total, amount, total);
}

std::string VoucherName(const Voucher& voucher) {
  return "voucher " + std::to_string(voucher.journal_key);
}

}  // namespace

bool AccountTotals::Accumulate(const AccountTotals& other, int sign) {
  const auto combine = sign >= 0 ? AddChecked : SubtractChecked;
  for (int slot = 0; slot < kTotalsSlots; ++slot) {
    if (!combine(&debit_1[slot], other.debit_1[slot]) ||
        !combine(&credit_1[slot], other.credit_1[slot]) ||
        !combine(&debit_2[slot], other.debit_2[slot]) ||
        !combine(&credit_2[slot], other.credit_2[slot])) {
      return false;
    }
  }
  return true;
}

bool AccountTotals::IsZero(int slot) const {
  return debit_1[slot] == 0 && credit_1[slot] == 0 && debit_2[slot] == 0 && credit_2[slot] == 0;
}

int SlotOfVoucher(const Voucher& voucher, const Company& company) {
  switch (voucher.period_kind) {
    case kPeriodYearEnd:
      return 13;
    case kPeriodInterim:
      return 14;
    case kPeriodMonth:
      return AccountingPeriod(company.first_day, company.last_day).FiscalMonthOf(voucher.date);
    default:
      return 0;
  }
}

MonthlyTotalsBuilder::MonthlyTotalsBuilder(const std::vector<Account>& accounts,
                                           TotalsByKey* totals)
    : totals_(totals) {
  totals_->clear();
  // The first account with a key wins, as a walk over the chart would find it.
  chart_.reserve(accounts.size());
  for (const Account& account : accounts) chart_.emplace(account.key, &account);
  const TaxAccounts tax = FindTaxAccounts(accounts);
  debit_tax_key_ = tax.debit_tax_key;
  credit_tax_key_ = tax.credit_tax_key;
}

const Account* MonthlyTotalsBuilder::Find(std::int32_t key) const {
  const auto found = chart_.find(key);
  return found == chart_.end() ? nullptr : found->second;
}

const MonthlyTotalsBuilder::Target& MonthlyTotalsBuilder::TargetOf(std::int32_t key) {
  const auto [at, added] = targets_.try_emplace(key);
  Target& target = at->second;
  if (added) {
    target.account = Find(key);
    target.own = &(*totals_)[key];
    target.main_key = MainKeyOf(key);
    if (target.main_key != key && Find(target.main_key) != nullptr) {
      target.main = &(*totals_)[target.main_key];
    }
  }
  return target;
}

bool MonthlyTotalsBuilder::Post(const Target& target, std::int32_t key, int slot, Side side,
                                Set set, std::int64_t amount, std::string* error) {
  if (amount == 0) return true;
  if (!PostOne(target.own, key, slot, side, set, amount, error)) return false;
  return target.main == nullptr ||
         PostOne(target.main, target.main_key, slot, side, set, amount, error);
}

bool MonthlyTotalsBuilder::PostOne(AccountTotals* totals, std::int32_t key, int slot, Side side,
                                   Set set, std::int64_t amount, std::string* error) {
  std::int64_t* target = side == Side::kDebit
                             ? (set == Set::kOne ? totals->debit_1 : totals->debit_2)
                             : (set == Set::kOne ? totals->credit_1 : totals->credit_2);
  if (AddChecked(&target[slot], amount)) return true;
  const Account* account = Find(key);
  *error = "the totals of account " + std::to_string(key) + " " +
           (account != nullptr ? account->formal_name : std::string()) +
           " exceed the range of 64-bit amounts";
  return false;
}

bool MonthlyTotalsBuilder::AddOpening(const OpeningBalance& opening, std::string* error) {
  const Target& target = TargetOf(opening.key);
  const Account* account = target.account;
  if (account == nullptr || account->kind == kKindTotal) {
    *error = "the opening balance of account " + std::to_string(opening.key) +
             " names no account that takes postings";
    return false;
  }
  const Side side = account->debit_nature ? Side::kDebit : Side::kCredit;
  return Post(target, opening.key, 0, side, Set::kOne, opening.amount, error) &&
         Post(target, opening.key, 0, side, Set::kTwo, opening.amount, error);
}

bool MonthlyTotalsBuilder::AddLine(std::int32_t journal_key, int slot, const JournalLine& line,
                                   std::string* error) {
  for (const Side side : {Side::kDebit, Side::kCredit}) {
    const bool debit = side == Side::kDebit;
    const std::int32_t key = debit ? line.debit_key : line.credit_key;
    const std::int64_t amount = debit ? line.debit_amount : line.credit_amount;
    const std::int64_t tax_part = debit ? line.debit_tax : line.credit_tax;
    if (key == 0) continue;
    const Target& target = TargetOf(key);
    const Account* account = target.account;
    if (account == nullptr || account->kind == kKindTotal) {
      *error = "voucher " + std::to_string(journal_key) + " line " +
               std::to_string(line.line_number) + " names account " + std::to_string(key) +
               ", which takes no postings";
      return false;
    }
    std::int64_t with_tax = amount;
    const std::int32_t tax_key = debit ? debit_tax_key_ : credit_tax_key_;
    if (!AddChecked(&with_tax, tax_part)) {
      *error = "voucher " + std::to_string(journal_key) + " line " +
               std::to_string(line.line_number) +
               " has an amount and tax beyond the range of 64-bit amounts";
      return false;
    }
    // Without a tax account in the chart the tax part has nowhere to go in set 1; the set
    // then simply holds the amounts without tax.
    if (!Post(target, key, slot, side, Set::kOne, amount, error) ||
        !Post(target, key, slot, side, Set::kTwo, with_tax, error) ||
        (tax_key != 0 &&
         !Post(TargetOf(tax_key), tax_key, slot, side, Set::kOne, tax_part, error))) {
      return false;
    }
  }
  return true;
}

bool ComputeMonthlyTotals(const CompanyBooks& books, TotalsByKey* totals, std::string* error) {
  MonthlyTotalsBuilder builder(books.accounts, totals);
  for (const OpeningBalance& opening : books.openings) {
    if (!builder.AddOpening(opening, error)) return false;
  }
  for (const Voucher& voucher : books.vouchers) {
    const int slot = SlotOfVoucher(voucher, books.company);
    if (slot == 0) {
      *error = VoucherName(voucher) + " dated " + std::to_string(voucher.date) +
               " lies outside the accounting period or has an unknown period kind";
      return false;
    }
    for (const JournalLine& line : voucher.lines) {
      if (!builder.AddLine(voucher.journal_key, slot, line, error)) return false;
    }
  }
  return true;
}

}  // namespace vintor::books
