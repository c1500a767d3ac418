#include "books/company_journal.h"

#include <algorithm>
#include <unordered_map>
#include <tuple>

#include "books/interchange_fields.h"
#include "books/journal_layout.h"
#include "books/monthly_totals.h"
#include "books/tax_accounts.h"
#include "books/totals_accumulator.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

// The longest description kept: the cursors' fields hold 60 bytes, and a cut on a character
// boundary at 255 bytes cuts the same way at 60 later.
constexpr std::size_t kDescriptionKept = 255;

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

struct VoucherHead {
  std::int32_t journal_key;
  std::int32_t number;
  std::int32_t date;
  std::int16_t period_kind;
  std::uint8_t slot;
};

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

// What the lines of the voucher being read keep of the voucher as a whole; a voucher's lines
// are consecutive in ledger order, so it is checked when the next voucher begins.
struct VoucherShape {
  std::int32_t journal_key = 0;
  std::uint32_t first_line = 0;
  std::uint32_t end_line = 0;  // after its last line read so far
  int debit_lines = 0;
  int credit_lines = 0;
  std::int32_t only_debit_key = 0;
  std::int32_t only_credit_key = 0;
  int marker = -1;                // as stored with its lines (all the same)
  std::int32_t shown_debit = -1;  // as stored with its lines without a debit key
  std::int32_t shown_credit = -1;

  bool Agrees() const {
    const std::int32_t expected_debit = debit_lines == 1 ? only_debit_key : 0;
    const std::int32_t expected_credit = credit_lines == 1 ? only_credit_key : 0;
    return marker == CompoundMarker(debit_lines, credit_lines) &&
           (shown_debit == -1 || shown_debit == expected_debit) &&
           (shown_credit == -1 || shown_credit == expected_credit);
  }
};

// The postings the writer makes of a line (journal_layout.cpp): one per main code the line
// touches, with the sides it appears on. Answers how many of *sides it filled (at most 4).
int PostingsOfLine(const CompanyJournal::Line& line, const TaxAccounts& tax,
                   std::pair<std::int32_t, std::uint8_t> (&sides)[4]) {
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
  return count;
}

}  // namespace

bool CompanyJournal::Load(SqliteDatabase& database, const CompanyRecord& company,
                          const Chart& chart, CompanyJournal* journal, std::string* error) {
  *journal = CompanyJournal();
  CompanyJournal loaded;
  TotalsByKey computed;
  // The accumulator reads the company and its chart, kept here for as long as it lives.
  CompanyBooks books;
  books.company = company.company;
  books.accounts = chart.accounts();
  TotalsAccumulator totals(books, &computed);
  std::vector<OpeningBalance> openings;
  const TaxAccounts tax = FindTaxAccounts(chart.accounts());
  std::string problem;

  std::vector<VoucherHead> vouchers;
  std::int64_t voucher_count = 0;
  if (!ForEachRow(database, "SELECT count(*) FROM vouchers WHERE company_id = ?", company.id,
                  [&](SqliteStatement& row) {
                    voucher_count = row.Int64(0);
                    return true;
                  })) {
    *error = database.LastError();
    return false;
  }
  vouchers.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(voucher_count, 0, 1 << 26)));
  const bool heads_read =
      ForEachRow(database, "SELECT key, amount FROM openings WHERE company_id = ? ORDER BY seq",
                 company.id,
                 [&](SqliteStatement& row) {
                   const OpeningBalance opening{row.Int32(0), row.Int64(1)};
                   if (!AmountInRange(opening.amount)) {
                     problem = "the opening balance of " + std::to_string(opening.key) +
                               " is out of range (table openings)";
                     return false;
                   }
                   openings.push_back(opening);
                   return true;
                 }) &&
      ForEachRow(database,
                 "SELECT journal_key, number, date, period_kind FROM vouchers WHERE company_id = ?"
                 " ORDER BY seq",
                 company.id, [&](SqliteStatement& row) {
                   Voucher head;
                   head.journal_key = row.Int32(0);
                   head.number = row.Int32(1);
                   head.date = row.Int32(2);
                   head.period_kind = static_cast<std::int16_t>(row.Int64(3));
                   const int slot = SlotOfVoucher(head, company.company);
                   if (slot == 0) {
                     problem = "the journal cannot be totalled: voucher " +
                               std::to_string(head.journal_key) + " dated " +
                               std::to_string(head.date) +
                               " lies outside the accounting period or has an unknown period kind";
                     return false;
                   }
                   vouchers.push_back({head.journal_key, head.number, head.date, head.period_kind,
                                       static_cast<std::uint8_t>(slot)});
                   return true;
                 });
  if (!heads_read) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }
  if (!totals.AddOpenings(openings, &problem)) {
    *error = "the journal cannot be totalled: " + problem;
    return false;
  }
  // The first voucher with a journal key wins, as a walk over the vouchers would find it.
  std::stable_sort(vouchers.begin(), vouchers.end(),
                   [](const VoucherHead& a, const VoucherHead& b) {
                     return a.journal_key < b.journal_key;
                   });
  const auto find_voucher = [&](std::int32_t journal_key) -> const VoucherHead* {
    const auto found = std::lower_bound(
        vouchers.begin(), vouchers.end(), journal_key,
        [](const VoucherHead& head, std::int32_t key) { return head.journal_key < key; });
    return found != vouchers.end() && found->journal_key == journal_key ? &*found : nullptr;
  };

  // Counted first (from the index by voucher) so that the lines are held once, not grown.
  std::int64_t line_count = 0;
  if (!ForEachRow(database, "SELECT count(*) FROM journal_lines WHERE company_id = ?", company.id,
                  [&](SqliteStatement& row) {
                    line_count = row.Int64(0);
                    return true;
                  })) {
    *error = database.LastError();
    return false;
  }
  if (line_count < 0 || line_count >= (std::int64_t{1} << 30)) {
    *error = "the table journal_lines holds " + std::to_string(line_count) +
             " lines of one company, more than a books file can";
    return false;
  }
  loaded.lines_.reserve(static_cast<std::size_t>(line_count));
  VoucherShape shape;
  bool in_voucher = false;
  const auto close_voucher = [&]() {
    if (!in_voucher) return true;
    if (!shape.Agrees()) {
      problem = "the lines of voucher " + std::to_string(shape.journal_key) +
                " show another compound marker or account than the voucher has (table "
                "journal_lines)";
      return false;
    }
    loaded.vouchers_.push_back(
        {shape.journal_key, shape.first_line, shape.end_line - shape.first_line});
    return true;
  };
  // The ledger order of the previous line: the line ids follow it.
  std::tuple<std::int32_t, std::int32_t, std::int32_t> previous{INT32_MIN, INT32_MIN, INT32_MIN};
  std::int64_t previous_id = INT64_MIN;
  JournalLine amounts;  // what the totals take of a line; its description stays empty
  std::string description;
  const bool lines_read = ForEachRow(
      database,
      // A scan of the table in id order: the index by voucher would cost a lookup per line.
      "SELECT id, journal_key, line_number, debit_key, debit_amount, debit_tax, credit_key,"
      " credit_amount, credit_tax, date, number, marker, shown_debit_key, shown_credit_key,"
      " description FROM journal_lines NOT INDEXED WHERE company_id = ? ORDER BY id",
      company.id, [&](SqliteStatement& row) {
        const auto line_problem = [&](const std::string& what) {
          problem = "journal line " + std::to_string(row.Int32(2)) + " of voucher " +
                    std::to_string(row.Int32(1)) + " " + what + " (table journal_lines)";
          return false;
        };
        const VoucherHead* voucher = find_voucher(row.Int32(1));
        if (voucher == nullptr) return line_problem("has no voucher");
        if (loaded.lines_.size() >= (1u << 30)) return line_problem("is one line too many");
        Line& line = loaded.lines_.emplace_back();
        line.journal_key = voucher->journal_key;
        line.number = voucher->number;
        line.line_number = row.Int32(2);
        line.date = voucher->date;
        line.period_kind = voucher->period_kind;
        line.debit_key = row.Int32(3);
        line.debit_amount = row.Int64(4);
        line.debit_tax = row.Int64(5);
        line.credit_key = row.Int32(6);
        line.credit_amount = row.Int64(7);
        line.credit_tax = row.Int64(8);
        for (const std::int64_t amount :
             {line.debit_amount, line.debit_tax, line.credit_amount, line.credit_tax}) {
          if (!AmountInRange(amount)) return line_problem("has an amount out of range");
        }
        if (row.Int32(9) != voucher->date || row.Int32(10) != voucher->number) {
          return line_problem("does not carry its voucher's date and number");
        }
        const std::int64_t id = row.Int64(0);
        const std::tuple order{voucher->date, voucher->journal_key, line.line_number};
        if (order < previous || id <= previous_id) return line_problem("is out of ledger order");
        previous = order;
        previous_id = id;

        if (!in_voucher || shape.journal_key != voucher->journal_key) {
          if (!close_voucher()) return false;
          shape = VoucherShape();
          shape.journal_key = voucher->journal_key;
          shape.first_line = static_cast<std::uint32_t>(loaded.lines_.size() - 1);
          in_voucher = true;
        }
        shape.end_line = static_cast<std::uint32_t>(loaded.lines_.size());
        const int marker = static_cast<int>(row.Int64(11));
        if (shape.marker != -1 && shape.marker != marker) {
          return line_problem("has another compound marker than its voucher's lines");
        }
        shape.marker = marker;
        line.marker = static_cast<std::uint8_t>(marker);
        if (line.debit_key != 0) {
          ++shape.debit_lines;
          shape.only_debit_key = line.debit_key;
        }
        if (line.credit_key != 0) {
          ++shape.credit_lines;
          shape.only_credit_key = line.credit_key;
        }
        line.shown_debit_key = row.Int32(12);
        line.shown_credit_key = row.Int32(13);
        // A side with a key shows it; an empty side shows one key for the whole voucher,
        // checked when every line of it is known.
        for (auto [key, shown, kept] :
             {std::tuple{line.debit_key, line.shown_debit_key, &shape.shown_debit},
              std::tuple{line.credit_key, line.shown_credit_key, &shape.shown_credit}}) {
          if (key != 0 && shown != key) return line_problem("shows another account");
          if (key == 0 && *kept != -1 && *kept != shown) {
            return line_problem("shows another account");
          }
          if (key == 0) *kept = shown;
        }

        if (!row.Text(14, &description)) return false;
        const std::string_view kept = text::PrefixOnCharacterBoundary(description, kDescriptionKept);
        if (loaded.description_blocks_.size() >= UINT32_MAX / kDescriptionBlockBytes) {
          return line_problem("has more description text before it than a books file can hold");
        }
        line.description_offset = loaded.KeepDescription(kept);
        line.description_size = static_cast<std::uint8_t>(kept.size());

        amounts.line_number = line.line_number;
        amounts.debit_key = line.debit_key;
        amounts.debit_amount = line.debit_amount;
        amounts.debit_tax = line.debit_tax;
        amounts.credit_key = line.credit_key;
        amounts.credit_amount = line.credit_amount;
        amounts.credit_tax = line.credit_tax;
        if (!totals.AddLine(line.journal_key, voucher->slot, amounts, &problem)) {
          problem = "the journal cannot be totalled: " + problem;
          return false;
        }

        return true;
      });
  if (!lines_read || !close_voucher()) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }

  TotalsByKey stored;
  const bool totals_read = ForEachRow(
      database,
      "SELECT key, slot, debit_1, credit_1, debit_2, credit_2 FROM monthly_totals"
      " WHERE company_id = ?",
      company.id, [&](SqliteStatement& row) {
        const std::int64_t slot = row.Int64(1);
        if (slot < 0 || slot >= kTotalsSlots) {
          problem = "the table monthly_totals holds month slot " + std::to_string(slot);
          return false;
        }
        AccountTotals& account = stored[row.Int32(0)];
        account.debit_1[slot] = row.Int64(2);
        account.credit_1[slot] = row.Int64(3);
        account.debit_2[slot] = row.Int64(4);
        account.credit_2[slot] = row.Int64(5);
        return true;
      });
  if (!totals_read) {
    *error = problem.empty() ? database.LastError() : problem;
    return false;
  }
  std::int32_t key = 0;
  int slot = 0;
  if (FindDifference(computed, stored, &key, &slot)) {
    *error = "the stored totals of account " + std::to_string(key) + ", month slot " +
             std::to_string(slot) + ", disagree with the journal (table monthly_totals)";
    return false;
  }

  loaded.BucketPostings(tax);
  std::sort(loaded.vouchers_.begin(), loaded.vouchers_.end(),
            [](const VoucherLines& a, const VoucherLines& b) {
              return a.journal_key < b.journal_key;
            });
  *journal = std::move(loaded);
  return true;
}

std::uint32_t CompanyJournal::KeepDescription(std::string_view text) {
  // A description never straddles two blocks, so each is one piece of one block.
  if (description_blocks_.empty() ||
      description_blocks_.back().size() + text.size() > kDescriptionBlockBytes) {
    description_blocks_.emplace_back().reserve(kDescriptionBlockBytes);
  }
  std::string& block = description_blocks_.back();
  const std::size_t offset =
      (description_blocks_.size() - 1) * kDescriptionBlockBytes + block.size();
  block.append(text);
  return static_cast<std::uint32_t>(offset);
}

void CompanyJournal::BucketPostings(const TaxAccounts& tax) {
  // A counting sort: the postings of each main code are counted, given their room, and
  // placed in line order, which is ledger order, without holding them twice.
  std::unordered_map<std::int32_t, std::uint32_t> counts;
  std::pair<std::int32_t, std::uint8_t> sides[4];
  for (const Line& line : lines_) {
    const int count = PostingsOfLine(line, tax, sides);
    for (int k = 0; k < count; ++k) ++counts[sides[k].first];
  }
  buckets_.reserve(counts.size());
  for (const auto& [main_code, count] : counts) buckets_.push_back({main_code, count});
  std::sort(buckets_.begin(), buckets_.end(),
            [](const Bucket& a, const Bucket& b) { return a.main_code < b.main_code; });
  std::uint32_t first = 0;
  for (Bucket& bucket : buckets_) {
    const std::uint32_t count = bucket.first;
    bucket.first = first;
    counts[bucket.main_code] = first;  // from here on: where the next posting goes
    first += count;
  }
  postings_.resize(first);
  for (std::uint32_t index = 0; index < lines_.size(); ++index) {
    const int count = PostingsOfLine(lines_[index], tax, sides);
    for (int k = 0; k < count; ++k) {
      postings_[counts[sides[k].first]++] = {index, sides[k].second};
    }
  }
}

std::span<const CompanyJournal::Posting> CompanyJournal::PostingsOf(std::int32_t main_code) const {
  const auto found =
      std::lower_bound(buckets_.begin(), buckets_.end(), main_code,
                       [](const Bucket& bucket, std::int32_t code) { return bucket.main_code < code; });
  if (found == buckets_.end() || found->main_code != main_code) return {};
  const std::size_t end = found + 1 == buckets_.end() ? postings_.size() : (found + 1)->first;
  return std::span<const Posting>(postings_).subspan(found->first, end - found->first);
}

std::span<const CompanyJournal::Line> CompanyJournal::LinesOfVoucher(
    std::int32_t journal_key) const {
  const auto found = std::lower_bound(
      vouchers_.begin(), vouchers_.end(), journal_key,
      [](const VoucherLines& lines, std::int32_t key) { return lines.journal_key < key; });
  if (found == vouchers_.end() || found->journal_key != journal_key) return {};
  return std::span<const Line>(lines_).subspan(found->first, found->count);
}

}  // namespace vintor::books
