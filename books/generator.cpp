#include "books/generator.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "books/generated_chart.h"
#include "books/generator_random.h"
#include "books/totals_accumulator.h"

namespace vintor::books {
namespace {

using Role = AccountRole;

constexpr std::int32_t kFirstDay = 20240401;
constexpr std::int32_t kLastDay = 20250331;
constexpr std::int32_t kInterimClosingDay = 20240930;  // last day of the sixth month
constexpr int kClosingLines = 3;                       // one interim, two year-end

constexpr std::string_view kPartners[] = {"表ソ商事",   "東京本店",   "大阪支店",
                                          "ソフト工業", "名古屋工場", "ポート物産"};

struct Posting {
  std::int32_t key = 0;
  std::int64_t amount = 0;  // scaled
  std::int64_t tax = 0;     // scaled
};

// The calendar month of fiscal month m (0 = April 2024) as YYYYMM00, and its length.
std::int32_t MonthBase(int m) {
  const int month = 4 + m;
  return month <= 12 ? 20240000 + month * 100 : 20250000 + (month - 12) * 100;
}

int DaysIn(int m) {
  static constexpr std::array<int, 12> kDays = {30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};
  return kDays[static_cast<std::size_t>(m)];
}

class Generator {
 public:
  Generator(std::uint32_t seed, const GeneratedChart& chart) : random_(seed) {
    for (const PostingTarget& target : chart.targets) {
      by_role_[static_cast<std::size_t>(target.role)].push_back(target.key);
      if (target.role != Role::kTax && target.role != Role::kRetainedEarnings)
        any_.push_back(target.key);
    }
    // With no accounts beyond the fixed ones, every role falls back on those.
    if (any_.empty()) {
      for (const PostingTarget& target : chart.targets) any_.push_back(target.key);
    }
  }

  std::int32_t Pick(Role role) {
    const std::vector<std::int32_t>& pool = by_role_[static_cast<std::size_t>(role)];
    const std::vector<std::int32_t>& from = pool.empty() ? any_ : pool;
    return from[random_.Below(from.size())];
  }

  template <std::size_t N>
  Role PickRole(const std::array<std::pair<Role, int>, N>& weighted) {
    int roll = random_.Below(100);
    for (const auto& [role, percent] : weighted) {
      if (roll < percent) return role;
      roll -= percent;
    }
    return weighted.back().first;
  }

  // An amount in whole yen, mostly hundreds to hundreds of thousands, sometimes millions.
  std::int64_t Yen() {
    const std::int64_t yen = 100 + random_.Below(std::uint64_t{99'900});
    return random_.Chance(10) ? yen * 100 : yen;
  }

  // One voucher: debits and credits side by side, line k holding the k-th of each.
  Voucher MakeVoucher(std::int32_t date, std::int16_t kind, const std::vector<Posting>& debits,
                      const std::vector<Posting>& credits, std::string_view description) {
    Voucher voucher;
    voucher.date = date;
    voucher.period_kind = kind;
    const std::size_t lines = std::max(debits.size(), credits.size());
    for (std::size_t k = 0; k < lines; ++k) {
      JournalLine line;
      line.line_number = static_cast<std::int32_t>(k + 1);
      if (k < debits.size()) {
        line.debit_key = debits[k].key;
        line.debit_amount = debits[k].amount;
        line.debit_tax = debits[k].tax;
      }
      if (k < credits.size()) {
        line.credit_key = credits[k].key;
        line.credit_amount = credits[k].amount;
        line.credit_tax = credits[k].tax;
      }
      line.description = description;
      voucher.lines.push_back(std::move(line));
    }
    return voucher;
  }

  std::string Describe(std::string_view what) {
    std::string description(what);
    description += ' ';
    description += kPartners[random_.Below(std::size(kPartners))];
    return description;
  }

  // A voucher of one line with both sides.
  Voucher SimpleVoucher(std::int32_t date) {
    const std::int64_t net = Yen() * 10'000;
    const std::int64_t tax = net / 100'000 * 10'000;  // 10%, whole yen
    const int kind = random_.Below(100);
    if (kind < 30) {
      const bool taxed = random_.Chance(50);
      const Role debit =
          PickRole(std::array{std::pair{Role::kReceivable, 60}, std::pair{Role::kCash, 40}});
      return MakeVoucher(date, kPeriodMonth, {{Pick(debit), net + (taxed ? tax : 0), 0}},
                         {{Pick(Role::kSales), net, taxed ? tax : 0}}, Describe("製品売上"));
    }
    if (kind < 60) {
      const bool taxed = random_.Chance(50);
      const Role debit =
          PickRole(std::array{std::pair{Role::kExpense, 50}, std::pair{Role::kManufacturing, 30},
                              std::pair{Role::kCostOfSales, 10}, std::pair{Role::kOtherAsset, 10}});
      const Role credit =
          PickRole(std::array{std::pair{Role::kCash, 50}, std::pair{Role::kPayable, 40},
                              std::pair{Role::kOtherLiability, 10}});
      return MakeVoucher(date, kPeriodMonth, {{Pick(debit), net, taxed ? tax : 0}},
                         {{Pick(credit), net + (taxed ? tax : 0), 0}},
                         Describe(debit == Role::kManufacturing ? "材料仕入" : "経費支払"));
    }
    struct Transfer {
      int below;
      Role debit, credit;
      std::string_view what;
    };
    static constexpr Transfer kTransfers[] = {
        {72, Role::kCash, Role::kReceivable, "売掛金回収"},
        {84, Role::kPayable, Role::kCash, "買掛金支払"},
        {90, Role::kCash, Role::kOtherIncome, "受取利息"},
        {95, Role::kOtherExpense, Role::kCash, "支払利息"},
        {100, Role::kOtherAsset, Role::kCash, "振替 表示調整"},
    };
    const Transfer& transfer = *std::find_if(std::begin(kTransfers), std::end(kTransfers),
                                             [kind](const Transfer& t) { return kind < t.below; });
    return MakeVoucher(date, kPeriodMonth, {{Pick(transfer.debit), net, 0}},
                       {{Pick(transfer.credit), net, 0}}, Describe(transfer.what));
  }

  // A voucher of several lines (1:n, n:1 or n:m) that takes at most max_lines (>= 2).
  Voucher CompoundVoucher(std::int32_t date, int max_lines) {
    const int most = std::min(4, max_lines);
    const auto several = [&] { return 2 + random_.Below(most - 1); };
    const int shape = random_.Below(3);
    const int debit_count = shape == 0 ? 1 : several();
    const int credit_count = shape == 1 ? 1 : several();
    std::vector<Posting> debits, credits;
    std::int64_t total = 0;
    for (int k = 0; k < debit_count; ++k) {
      const std::int64_t net = Yen() * 10'000;
      const std::int64_t tax = random_.Chance(30) ? net / 100'000 * 10'000 : 0;
      const Role role =
          PickRole(std::array{std::pair{Role::kExpense, 60}, std::pair{Role::kManufacturing, 40}});
      debits.push_back({Pick(role), net, tax});
      total += net + tax;
    }
    // The credits share the total: each takes at least one yen and at most half of what is
    // left, the last takes the rest, so no credit is empty.
    std::int64_t left = total;
    for (int k = 0; k < credit_count; ++k) {
      const Role role =
          PickRole(std::array{std::pair{Role::kCash, 50}, std::pair{Role::kPayable, 30},
                              std::pair{Role::kOtherLiability, 20}});
      std::int64_t part = left;
      if (k + 1 < credit_count) {
        const std::uint64_t yen_left = static_cast<std::uint64_t>(left / 10'000);
        part = static_cast<std::int64_t>(1 + random_.Below(yen_left / 2)) * 10'000;
      }
      credits.push_back({Pick(role), part, 0});
      left -= part;
    }
    return MakeVoucher(date, kPeriodMonth, debits, credits, Describe("諸口 経費精算"));
  }

  Voucher ClosingVoucher(std::int32_t date, std::int16_t kind, Role debit, Role credit,
                         std::string_view description) {
    const std::int64_t amount = Yen() * 100 * 10'000;
    return MakeVoucher(date, kind, {{Pick(debit), amount, 0}}, {{Pick(credit), amount, 0}},
                       description);
  }

  // The vouchers of one fiscal month using exactly `lines` lines, in date order.
  std::vector<Voucher> Month(int m, int lines) {
    std::vector<std::pair<std::int32_t, Voucher>> dated;
    for (int used = 0; used < lines;) {
      const std::int32_t date = MonthBase(m) + 1 + random_.Below(DaysIn(m));
      Voucher voucher = lines - used >= 2 && random_.Chance(15)
                            ? CompoundVoucher(date, lines - used)
                            : SimpleVoucher(date);
      used += static_cast<int>(voucher.lines.size());
      dated.emplace_back(date, std::move(voucher));
    }
    // Stable, so that equal dates keep the order of generation on every library.
    std::stable_sort(dated.begin(), dated.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Voucher> vouchers;
    for (auto& [date, voucher] : dated) vouchers.push_back(std::move(voucher));
    return vouchers;
  }

  GeneratorRandom& random() { return random_; }

 private:
  GeneratorRandom random_;
  std::array<std::vector<std::int32_t>, static_cast<std::size_t>(Role::kCount)> by_role_;
  std::vector<std::int32_t> any_;
};

// Opening balances for about three in five balance-sheet accounts; retained earnings take
// the difference, so that the opening balance sheet balances.
std::vector<OpeningBalance> Openings(const GeneratedChart& chart, GeneratorRandom& random) {
  std::vector<OpeningBalance> openings;
  std::int64_t debit_side = 0;
  std::int32_t retained_earnings = 0;
  for (const PostingTarget& target : chart.targets) {
    if (target.role == Role::kRetainedEarnings) retained_earnings = target.key;
    if (!target.balance_sheet || target.role == Role::kTax ||
        target.role == Role::kRetainedEarnings || !random.Chance(60)) {
      continue;
    }
    const std::int64_t amount =
        static_cast<std::int64_t>(10'000 + random.Below(std::uint64_t{50'000'000})) * 10'000;
    openings.push_back({target.key, amount});
    debit_side += target.debit_nature ? amount : -amount;
  }
  if (debit_side != 0) openings.push_back({retained_earnings, debit_side});
  return openings;
}

}  // namespace

// What BooksGenerator keeps between vouchers: the chart, the random numbers and where the
// year stands.
struct BooksGenerator::State {
  State(int accounts, std::uint32_t seed)
      : chart_random(seed),
        chart(LayOutChart(accounts, chart_random)),
        generator(seed ^ 0x5EEDu, chart) {}

  GeneratorRandom chart_random;
  const GeneratedChart chart;
  Generator generator;
  int regular = 0;  // the lines of the months, without the closing vouchers'
  bool closing = false;
  int next_month = 0;  // 12 once the months are made; 13 once the year-end is too
  std::vector<Voucher> batch;
  std::size_t next_in_batch = 0;
  std::int32_t last_key = 0;
};

BooksGenerator::BooksGenerator(int accounts, int lines, std::uint32_t seed,
                               const std::string& settings_folder) {
  accounts = std::clamp(accounts, 0, kMaxGeneratedAccounts);
  lines = std::max(lines, 0);
  state_ = std::make_unique<State>(accounts, seed);

  frame_.current_user = "admin";
  frame_.users = {{"admin", "管理者", 1, 1}, {"keiri", "経理担当者", 0, 0}};
  frame_.eras = {{1, 19261225, "昭和"}, {2, 19890108, "平成"}, {3, 20190501, "令和"}};
  frame_.folders = {{0, ""}, {1, settings_folder}};

  CompanyBooks& books = frame_.companies.emplace_back();
  books.company = {.data_number = 1,
                   .data_id = "GEN" + std::to_string(seed % 1'000'000'000u),
                   .name = "株式会社表ソフト製作所",
                   .first_day = kFirstDay,
                   .last_day = kLastDay,
                   .has_cost_schedule = true,
                   .interim_settlement = true,
                   .introduction_month = 0,
                   .companies_act = true,
                   .tax_included = false};
  books.accounts = state_->chart.accounts;
  books.openings = Openings(state_->chart, state_->generator.random());
  books.saved_texts[0] =
      "重要な会計方針に係る事項に関する注記\r\n棚卸資産の評価基準は表示のとおり。\r\n";

  state_->closing = lines >= kClosingLines;
  state_->regular = lines - (state_->closing ? kClosingLines : 0);
}

BooksGenerator::~BooksGenerator() = default;

bool BooksGenerator::Next(Voucher* voucher) {
  State& s = *state_;
  // The vouchers are made a month (or a closing) at a time, in the order of the random
  // numbers GenerateBooks has always drawn, so the books stay the same for the same seed.
  while (s.next_in_batch == s.batch.size()) {
    s.batch.clear();
    s.next_in_batch = 0;
    if (s.next_month < 12) {
      const int m = s.next_month++;
      // The month's share, rounded so that the twelve shares add up to exactly `regular`.
      const int month_lines = static_cast<int>(static_cast<long long>(s.regular) * (m + 1) / 12 -
                                               static_cast<long long>(s.regular) * m / 12);
      s.batch = s.generator.Month(m, month_lines);
      if (s.closing && m == 5) {
        s.batch.push_back(s.generator.ClosingVoucher(kInterimClosingDay, kPeriodInterim,
                                                     Role::kExpense, Role::kAccumulatedDepreciation,
                                                     "中間決算 減価償却費計上"));
      }
    } else if (s.next_month == 12) {
      ++s.next_month;
      if (!s.closing) return false;
      s.batch.push_back(s.generator.ClosingVoucher(kLastDay, kPeriodYearEnd, Role::kExpense,
                                                   Role::kAccumulatedDepreciation,
                                                   "決算 減価償却費計上"));
      s.batch.push_back(s.generator.ClosingVoucher(kLastDay, kPeriodYearEnd, Role::kIncomeTax,
                                                   Role::kOtherLiability, "決算 法人税等計上"));
    } else {
      return false;
    }
  }
  *voucher = std::move(s.batch[s.next_in_batch++]);
  voucher->journal_key = ++s.last_key;
  voucher->number = s.last_key;
  return true;
}

BooksData GenerateBooks(int accounts, int lines, std::uint32_t seed,
                        const std::string& settings_folder) {
  BooksGenerator generator(accounts, lines, seed, settings_folder);
  BooksData data = generator.frame();
  std::vector<Voucher>& vouchers = data.companies.front().vouchers;
  Voucher voucher;
  while (generator.Next(&voucher)) vouchers.push_back(std::move(voucher));
  return data;
}

bool WriteGeneratedBooks(BooksFileBuilder& builder, BooksGenerator& generator, std::string* error) {
  // Making the vouchers, their totals and their rows takes about as long as inserting the
  // rows: the two overlap.
  return builder.Overlapped(
      [&](std::string* why) {
        const BooksData& frame = generator.frame();
        const CompanyBooks& books = frame.companies.front();
        TotalsByKey totals;
        TotalsAccumulator accumulator(books, &totals);
        // A refusal of the totals comes after the inserts asked for before it; one of those
        // that failed is reported instead.
        const auto refused = [&] {
          builder.Settle(why);
          return false;
        };
        if (!builder.Begin(frame, why) || !builder.BeginCompany(books, why)) return false;
        if (!accumulator.AddOpenings(books.openings, why)) return refused();
        // The generator makes its vouchers in date order with rising keys: data order is
        // ledger order, and each voucher goes into the file as soon as it is made.
        Voucher voucher;
        while (generator.Next(&voucher)) {
          if (!accumulator.AddVoucher(voucher, why)) return refused();
          if (!builder.WriteVoucher(voucher, why) || !builder.WriteJournal(voucher, why))
            return false;
        }
        return builder.EndCompany(totals, why) && builder.Finish(why);
      },
      error);
}

}  // namespace vintor::books
