#include "books/derived_tables_check.h"

#include <tuple>
#include <unordered_map>

#include "books/interchange_fields.h"
#include "books/journal_layout.h"
#include "books/monthly_totals.h"
#include "books/tax_accounts.h"

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

// An amount the import would have refused can only come from a file changed behind the
// books' back; summed over a year it could overflow the totals it is compared with.
bool AmountInRange(std::int64_t amount) {
  return amount >= -kMaxAmount && amount <= kMaxAmount;
}

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

// An order-free digest of a set of postings: the sum of a strong mix of each row. Equal
// sets give equal digests; a changed, added or removed row changes it.
class PostingDigest {
 public:
  void Add(std::int64_t main_code, std::int64_t date, std::int64_t line_id, std::int64_t side,
           std::int64_t period_kind) {
    std::uint64_t h = Mix(static_cast<std::uint64_t>(main_code));
    h = Mix(h ^ static_cast<std::uint64_t>(date));
    h = Mix(h ^ static_cast<std::uint64_t>(line_id));
    h = Mix(h ^ static_cast<std::uint64_t>(side));
    h = Mix(h ^ static_cast<std::uint64_t>(period_kind));
    sum_ += h;
    ++count_;
  }
  bool operator==(const PostingDigest&) const = default;
  std::uint64_t count() const { return count_; }

 private:
  // The finalizer of splitmix64.
  static std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
  }

  std::uint64_t sum_ = 0;
  std::uint64_t count_ = 0;
};

// What the journal lines of one voucher keep of the voucher as a whole, checked once all its
// lines have been read.
struct VoucherLines {
  int debit_lines = 0;
  int credit_lines = 0;
  std::int32_t only_debit_key = 0;
  std::int32_t only_credit_key = 0;
  int marker = -1;                // as stored with its lines (all the same)
  std::int32_t shown_debit = -1;  // as stored with its lines without a debit key
  std::int32_t shown_credit = -1;
};

}  // namespace

bool CheckDerivedTables(SqliteDatabase& database, const CompanyRecord& company, const Chart& chart,
                        std::string* error) {
  CompanyBooks books;
  books.company = company.company;
  books.accounts = chart.accounts();
  const TaxAccounts tax = FindTaxAccounts(books.accounts);
  std::unordered_map<std::int32_t, std::size_t> voucher_index;
  std::vector<VoucherLines> voucher_lines;
  PostingDigest expected;
  // The ledger order of the previous line: the line ids follow it.
  std::tuple<std::int32_t, std::int32_t, std::int32_t> previous{INT32_MIN, INT32_MIN, INT32_MIN};
  std::string problem;
  const auto line_problem = [&](SqliteStatement& row, const std::string& what) {
    problem = "journal line " + std::to_string(row.Int32(2)) + " of voucher " +
              std::to_string(row.Int32(1)) + " " + what + " (table journal_lines)";
    return false;
  };
  const bool read =
      ForEachRow(database, "SELECT key, amount FROM openings WHERE company_id = ? ORDER BY seq",
                 company.id,
                 [&](SqliteStatement& row) {
                   if (!AmountInRange(row.Int64(1))) {
                     problem = "the opening balance of " + std::to_string(row.Int32(0)) +
                               " is out of range (table openings)";
                     return false;
                   }
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
      ForEachRow(
          database,
          "SELECT id, journal_key, line_number, debit_key, debit_amount, debit_tax, credit_key,"
          " credit_amount, credit_tax, date, number, marker, shown_debit_key, shown_credit_key"
          " FROM journal_lines NOT INDEXED WHERE company_id = ? ORDER BY id",
          company.id, [&](SqliteStatement& row) {
            const auto found = voucher_index.find(row.Int32(1));
            if (found == voucher_index.end()) return line_problem(row, "has no voucher");
            Voucher& voucher = books.vouchers[found->second];
            voucher_lines.resize(books.vouchers.size());
            VoucherLines& whole = voucher_lines[found->second];
            JournalLine& line = voucher.lines.emplace_back();
            line.line_number = row.Int32(2);
            line.debit_key = row.Int32(3);
            line.debit_amount = row.Int64(4);
            line.debit_tax = row.Int64(5);
            line.credit_key = row.Int32(6);
            line.credit_amount = row.Int64(7);
            line.credit_tax = row.Int64(8);
            for (const std::int64_t amount :
                 {line.debit_amount, line.debit_tax, line.credit_amount, line.credit_tax}) {
              if (!AmountInRange(amount)) return line_problem(row, "has an amount out of range");
            }
            if (row.Int32(9) != voucher.date || row.Int32(10) != voucher.number) {
              return line_problem(row, "does not carry its voucher's date and number");
            }
            const std::tuple order{voucher.date, voucher.journal_key, line.line_number};
            if (order < previous) return line_problem(row, "is out of ledger order");
            previous = order;
            const int marker = static_cast<int>(row.Int64(11));
            if (whole.marker != -1 && whole.marker != marker) {
              return line_problem(row, "has another compound marker than its voucher's lines");
            }
            whole.marker = marker;
            if (line.debit_key != 0) {
              ++whole.debit_lines;
              whole.only_debit_key = line.debit_key;
            }
            if (line.credit_key != 0) {
              ++whole.credit_lines;
              whole.only_credit_key = line.credit_key;
            }
            // A side with a key shows it; an empty side shows one key for the whole voucher,
            // checked when every line is known.
            for (auto [key, shown, kept] :
                 {std::tuple{line.debit_key, row.Int32(12), &whole.shown_debit},
                  std::tuple{line.credit_key, row.Int32(13), &whole.shown_credit}}) {
              if (key != 0 && shown != key) return line_problem(row, "shows another account");
              if (key == 0 && *kept != -1 && *kept != shown) {
                return line_problem(row, "shows another account");
              }
              if (key == 0) *kept = shown;
            }
            // The postings the writer makes of the line (journal_layout.cpp): one per main
            // code the line touches, with the sides it appears on.
            std::pair<std::int32_t, std::uint8_t> sides[4];
            int count = 0;
            const auto add = [&](std::int32_t key, std::uint8_t side) {
              if (key == 0) return;
              for (int k = 0; k < count; ++k) {
                if (sides[k].first == key / 10000) {
                  sides[k].second |= side;
                  return;
                }
              }
              sides[count++] = {key / 10000, side};
            };
            add(line.debit_key, kPostingDebit);
            add(line.credit_key, kPostingCredit);
            if (line.debit_tax != 0) add(tax.debit_tax_key, kPostingDebit);
            if (line.credit_tax != 0) add(tax.credit_tax_key, kPostingCredit);
            for (int k = 0; k < count; ++k) {
              expected.Add(sides[k].first, voucher.date, row.Int64(0), sides[k].second,
                           voucher.period_kind);
            }
            return true;
          });
  if (!read) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }
  voucher_lines.resize(books.vouchers.size());
  for (std::size_t k = 0; k < books.vouchers.size(); ++k) {
    const VoucherLines& whole = voucher_lines[k];
    if (books.vouchers[k].lines.empty()) continue;
    const std::int32_t shown_debit = whole.debit_lines == 1 ? whole.only_debit_key : 0;
    const std::int32_t shown_credit = whole.credit_lines == 1 ? whole.only_credit_key : 0;
    if (whole.marker != CompoundMarker(whole.debit_lines, whole.credit_lines) ||
        (whole.shown_debit != -1 && whole.shown_debit != shown_debit) ||
        (whole.shown_credit != -1 && whole.shown_credit != shown_credit)) {
      *error = "the lines of voucher " + std::to_string(books.vouchers[k].journal_key) +
               " show another compound marker or account than the voucher has (table "
               "journal_lines)";
      return false;
    }
  }

  PostingDigest stored_postings;
  TotalsByKey stored;
  const bool derived_read =
      ForEachRow(database,
                 "SELECT main_code, date, line_id, side, period_kind FROM postings"
                 " WHERE company_id = ?",
                 company.id,
                 [&](SqliteStatement& row) {
                   stored_postings.Add(row.Int64(0), row.Int64(1), row.Int64(2), row.Int64(3),
                                       row.Int64(4));
                   return true;
                 }) &&
      ForEachRow(database,
                 "SELECT key, slot, debit_1, credit_1, debit_2, credit_2 FROM monthly_totals"
                 " WHERE company_id = ?",
                 company.id, [&](SqliteStatement& row) {
                   const std::int64_t slot = row.Int64(1);
                   if (slot < 0 || slot >= kTotalsSlots) {
                     problem = "the table monthly_totals holds month slot " + std::to_string(slot);
                     return false;
                   }
                   AccountTotals& totals = stored[row.Int32(0)];
                   totals.debit_1[slot] = row.Int64(2);
                   totals.credit_1[slot] = row.Int64(3);
                   totals.debit_2[slot] = row.Int64(4);
                   totals.credit_2[slot] = row.Int64(5);
                   return true;
                 });
  if (!derived_read) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }
  if (!(stored_postings == expected)) {
    *error = "the table postings holds " + std::to_string(stored_postings.count()) +
             " rows where the journal gives " + std::to_string(expected.count()) +
             (stored_postings.count() == expected.count() ? ", and other ones" : "");
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
