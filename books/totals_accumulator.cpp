#include "books/totals_accumulator.h"

#include <algorithm>

namespace vintor::books {
namespace {

bool AddChecked(std::int64_t* total, std::int64_t amount) {
  return !__builtin_add_overflow(*total, amount, total);
}

std::string VoucherName(const Voucher& voucher) {
  return "voucher " + std::to_string(voucher.journal_key);
}

}  // namespace

TotalsAccumulator::TotalsAccumulator(const CompanyBooks& books, TotalsByKey* totals)
    : company_(books.company), totals_(totals) {
  totals_->clear();
  // The first account of a key counts, as everywhere in the books.
  std::vector<const Account*> chart;
  chart.reserve(books.accounts.size());
  for (const Account& account : books.accounts) chart.push_back(&account);
  std::stable_sort(chart.begin(), chart.end(),
                   [](const Account* a, const Account* b) { return a->key < b->key; });
  for (const Account* account : chart) {
    if (!keys_.empty() && keys_.back() == account->key) continue;
    keys_.push_back(account->key);
    targets_.push_back(Target{account->key, account, account->kind != kKindTotal});
  }
  for (Target& target : targets_) {
    const std::int32_t main_key = MainKeyOf(target.key);
    if (main_key != target.key) target.main = Find(main_key);
  }
  const TaxAccounts tax = FindTaxAccounts(books.accounts);
  if (tax.debit_tax_key != 0) debit_tax_ = Find(tax.debit_tax_key);
  if (tax.credit_tax_key != 0) credit_tax_ = Find(tax.credit_tax_key);
}

TotalsAccumulator::Target* TotalsAccumulator::Find(std::int32_t key) {
  const auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
  if (found == keys_.end() || *found != key) return nullptr;
  return &targets_[static_cast<std::size_t>(found - keys_.begin())];
}

bool TotalsAccumulator::Post(Target& target, int slot, Side side, Set set, std::int64_t amount,
                             std::string* error) {
  if (amount == 0) return true;
  if (!PostOne(target, slot, side, set, amount, error)) return false;
  return target.main == nullptr || PostOne(*target.main, slot, side, set, amount, error);
}

bool TotalsAccumulator::PostOne(Target& target, int slot, Side side, Set set, std::int64_t amount,
                                std::string* error) {
  if (target.totals == nullptr) target.totals = &(*totals_)[target.key];
  AccountTotals& totals = *target.totals;
  std::int64_t* sums = side == Side::kDebit
                           ? (set == Set::kOne ? totals.debit_1 : totals.debit_2)
                           : (set == Set::kOne ? totals.credit_1 : totals.credit_2);
  if (AddChecked(&sums[slot], amount)) return true;
  *error = "the totals of account " + std::to_string(target.key) + " " +
           target.account->formal_name + " exceed the range of 64-bit amounts";
  return false;
}

bool TotalsAccumulator::AddOpenings(const std::vector<OpeningBalance>& openings,
                                    std::string* error) {
  for (const OpeningBalance& opening : openings) {
    Target* target = Find(opening.key);
    if (!Postable(target)) {
      *error = "the opening balance of account " + std::to_string(opening.key) +
               " names no account that takes postings";
      return false;
    }
    const Side side = target->account->debit_nature ? Side::kDebit : Side::kCredit;
    if (!Post(*target, 0, side, Set::kOne, opening.amount, error) ||
        !Post(*target, 0, side, Set::kTwo, opening.amount, error)) {
      return false;
    }
  }
  return true;
}

bool TotalsAccumulator::AddVoucher(const Voucher& voucher, std::string* error) {
  if (voucher.date != last_date_ || voucher.period_kind != last_period_kind_) {
    last_date_ = voucher.date;
    last_period_kind_ = voucher.period_kind;
    last_slot_ = SlotOfVoucher(voucher, company_);
  }
  const int slot = last_slot_;
  if (slot == 0) {
    *error = VoucherName(voucher) + " dated " + std::to_string(voucher.date) +
             " lies outside the accounting period or has an unknown period kind";
    return false;
  }
  for (const JournalLine& line : voucher.lines) {
    if (!AddLine(voucher.journal_key, slot, line, error)) return false;
  }
  return true;
}

bool TotalsAccumulator::AddLine(std::int32_t journal_key, int slot, const JournalLine& line,
                                std::string* error) {
  const auto line_name = [&] {
    return "voucher " + std::to_string(journal_key) + " line " + std::to_string(line.line_number);
  };
  for (const Side side : {Side::kDebit, Side::kCredit}) {
    const bool debit = side == Side::kDebit;
    const std::int32_t key = debit ? line.debit_key : line.credit_key;
    const std::int64_t amount = debit ? line.debit_amount : line.credit_amount;
    const std::int64_t tax_part = debit ? line.debit_tax : line.credit_tax;
    if (key == 0) continue;
    Target* target = Find(key);
    if (!Postable(target)) {
      *error = line_name() + " names account " + std::to_string(key) + ", which takes no postings";
      return false;
    }
    std::int64_t with_tax = amount;
    Target* tax_target = debit ? debit_tax_ : credit_tax_;
    if (!AddChecked(&with_tax, tax_part)) {
      *error = line_name() + " has an amount and tax beyond the range of 64-bit amounts";
      return false;
    }
    // Without a tax account in the chart the tax part has nowhere to go in set 1; the set
    // then simply holds the amounts without tax.
    if (!Post(*target, slot, side, Set::kOne, amount, error) ||
        !Post(*target, slot, side, Set::kTwo, with_tax, error) ||
        (tax_target != nullptr && !Post(*tax_target, slot, side, Set::kOne, tax_part, error))) {
      return false;
    }
  }
  return true;
}

}  // namespace vintor::books
