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

enum class Side { kDebit, kCredit };
enum class Set { kOne, kTwo };

// Posts amounts to one key and, for a sub-account, to its main account as well.
class TotalsBuilder {
 public:
  TotalsBuilder(const CompanyBooks& books, TotalsByKey* totals) : totals_(totals) {
    for (const Account& account : books.accounts) chart_.emplace(account.key, &account);
  }

  const Account* Find(std::int32_t key) const {
    const auto found = chart_.find(key);
    return found == chart_.end() ? nullptr : found->second;
  }

  bool Post(std::int32_t key, int slot, Side side, Set set, std::int64_t amount,
            std::string* error) {
    if (amount == 0) return true;
    if (!PostOne(key, slot, side, set, amount, error)) return false;
    const std::int32_t main_key = MainKeyOf(key);
    if (main_key == key || Find(main_key) == nullptr) return true;
    return PostOne(main_key, slot, side, set, amount, error);
  }

 private:
  bool PostOne(std::int32_t key, int slot, Side side, Set set, std::int64_t amount,
               std::string* error) {
    AccountTotals& totals = (*totals_)[key];
    std::int64_t* target = side == Side::kDebit
                               ? (set == Set::kOne ? totals.debit_1 : totals.debit_2)
                               : (set == Set::kOne ? totals.credit_1 : totals.credit_2);
    if (AddChecked(&target[slot], amount)) return true;
    const Account* account = Find(key);
    *error = "the totals of account " + std::to_string(key) + " " +
             (account != nullptr ? account->formal_name : std::string()) +
             " exceed the range of 64-bit amounts";
    return false;
  }

  TotalsByKey* totals_;
  std::unordered_map<std::int32_t, const Account*> chart_;
};

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

bool ComputeMonthlyTotals(const CompanyBooks& books, TotalsByKey* totals, std::string* error) {
  totals->clear();
  TotalsBuilder builder(books, totals);
  const TaxAccounts tax = FindTaxAccounts(books.accounts);
  const auto postable = [&](std::int32_t key) {
    const Account* account = builder.Find(key);
    return account != nullptr && account->kind != kKindTotal;
  };

  for (const OpeningBalance& opening : books.openings) {
    if (!postable(opening.key)) {
      *error = "the opening balance of account " + std::to_string(opening.key) +
               " names no account that takes postings";
      return false;
    }
    const Side side = builder.Find(opening.key)->debit_nature ? Side::kDebit : Side::kCredit;
    if (!builder.Post(opening.key, 0, side, Set::kOne, opening.amount, error) ||
        !builder.Post(opening.key, 0, side, Set::kTwo, opening.amount, error)) {
      return false;
    }
  }

  for (const Voucher& voucher : books.vouchers) {
    const int slot = SlotOfVoucher(voucher, books.company);
    if (slot == 0) {
      *error = VoucherName(voucher) + " dated " + std::to_string(voucher.date) +
               " lies outside the accounting period or has an unknown period kind";
      return false;
    }
    for (const JournalLine& line : voucher.lines) {
      for (const Side side : {Side::kDebit, Side::kCredit}) {
        const bool debit = side == Side::kDebit;
        const std::int32_t key = debit ? line.debit_key : line.credit_key;
        const std::int64_t amount = debit ? line.debit_amount : line.credit_amount;
        const std::int64_t tax_part = debit ? line.debit_tax : line.credit_tax;
        if (key == 0) continue;
        if (!postable(key)) {
          *error = VoucherName(voucher) + " line " + std::to_string(line.line_number) +
                   " names account " + std::to_string(key) + ", which takes no postings";
          return false;
        }
        std::int64_t with_tax = amount;
        const std::int32_t tax_key = debit ? tax.debit_tax_key : tax.credit_tax_key;
        if (!AddChecked(&with_tax, tax_part)) {
          *error = VoucherName(voucher) + " line " + std::to_string(line.line_number) +
                   " has an amount and tax beyond the range of 64-bit amounts";
          return false;
        }
        // Without a tax account in the chart the tax part has nowhere to go in set 1; the
        // set then simply holds the amounts without tax.
        if (!builder.Post(key, slot, side, Set::kOne, amount, error) ||
            !builder.Post(key, slot, side, Set::kTwo, with_tax, error) ||
            (tax_key != 0 && !builder.Post(tax_key, slot, side, Set::kOne, tax_part, error))) {
          return false;
        }
      }
    }
  }
  return true;
}

}  // namespace vintor::books
