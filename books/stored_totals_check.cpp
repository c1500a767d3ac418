#include "books/stored_totals_check.h"

#include <unordered_map>

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

template <typename OnRow>
bool ForEachRow(SqliteDatabase& database, std::string_view sql, std::int64_t company_id,
                OnRow on_row) {
  SqliteStatement statement = database.Prepare(sql);
  if (!statement.valid() || !statement.Bind(1, company_id)) return false;
  for (;;) {
    const Step step = statement.Step();
    if (step == Step::kDone) return true;
    if (step == Step::kError || !on_row(statement)) return false;
  }
}

bool SameSlot(const AccountTotals& a, const AccountTotals& b, int slot) {
  return a.debit_1[slot] == b.debit_1[slot] && a.credit_1[slot] == b.credit_1[slot] &&
         a.debit_2[slot] == b.debit_2[slot] && a.credit_2[slot] == b.credit_2[slot];
}

// The first account and slot where the two disagree; false when they agree everywhere.
bool FindDifference(const TotalsByKey& computed, const TotalsByKey& stored, std::int32_t* key,
                    int* slot) {
  const AccountTotals zero;
  const auto compare = [&](const TotalsByKey& one, const TotalsByKey& other) {
    for (const auto& [account, totals] : one) {
      const auto found = other.find(account);
      const AccountTotals& counterpart = found == other.end() ? zero : found->second;
      for (int s = 0; s < kTotalsSlots; ++s) {
        if (SameSlot(totals, counterpart, s)) continue;
        *key = account;
        *slot = s;
        return true;
      }
    }
    return false;
  };
  return compare(computed, stored) || compare(stored, computed);
}

}  // namespace

bool CheckStoredTotals(SqliteDatabase& database, const CompanyRecord& company, const Chart& chart,
                       const TotalsByKey& stored, std::string* error) {
  CompanyBooks books;
  books.company = company.company;
  books.accounts = chart.accounts();
  std::unordered_map<std::int32_t, std::size_t> voucher_index;
  std::string problem;
  const bool read =
      ForEachRow(database, "SELECT key, amount FROM openings WHERE company_id = ? ORDER BY seq",
                 company.id,
                 [&](SqliteStatement& row) {
                   books.openings.push_back({row.Int32(0), row.Int64(1)});
                   return true;
                 }) &&
      ForEachRow(database,
                 "SELECT journal_key, number, date, period_kind FROM vouchers WHERE company_id = ?"
                 " ORDER BY seq",
                 company.id,
                 [&](SqliteStatement& row) {
                   Voucher& voucher = books.vouchers.emplace_back();
                   voucher.journal_key = row.Int32(0);
                   voucher.number = row.Int32(1);
                   voucher.date = row.Int32(2);
                   voucher.period_kind = static_cast<std::int16_t>(row.Int64(3));
                   voucher_index.emplace(voucher.journal_key, books.vouchers.size() - 1);
                   return true;
                 }) &&
      // A scan of the table in id order: the index by voucher would cost a lookup per line.
      ForEachRow(database,
                 "SELECT journal_key, line_number, debit_key, debit_amount, debit_tax, credit_key,"
                 " credit_amount, credit_tax FROM journal_lines NOT INDEXED WHERE company_id = ?",
                 company.id, [&](SqliteStatement& row) {
                   const std::int32_t journal_key = row.Int32(0);
                   const auto found = voucher_index.find(journal_key);
                   if (found == voucher_index.end()) {
                     problem = "journal line " + std::to_string(row.Int32(1)) + " of voucher " +
                               std::to_string(journal_key) + " has no voucher";
                     return false;
                   }
                   JournalLine& line = books.vouchers[found->second].lines.emplace_back();
                   line.line_number = row.Int32(1);
                   line.debit_key = row.Int32(2);
                   line.debit_amount = row.Int64(3);
                   line.debit_tax = row.Int64(4);
                   line.credit_key = row.Int32(5);
                   line.credit_amount = row.Int64(6);
                   line.credit_tax = row.Int64(7);
                   return true;
                 });
  if (!read) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }
  TotalsByKey computed;
  std::string why;
  if (!ComputeMonthlyTotals(books, &computed, &why)) {
    *error = "the journal cannot be totalled: " + why;
    return false;
  }
  std::int32_t key = 0;
  int slot = 0;
  if (FindDifference(computed, stored, &key, &slot)) {
    *error = "the stored totals of account " + std::to_string(key) + ", month slot " +
             std::to_string(slot) + ", disagree with the journal (table monthly_totals)";
    return false;
  }
  return true;
}

}  // namespace vintor::books
