#include "books/generated_chart.h"

#include <algorithm>
#include <string>

#include "text/cp932.h"

namespace vintor::books {
namespace {

using Role = AccountRole;

// One entry of the plan. A total becomes one account of kind 2; a fixed account one of
// kind 0; a group becomes as many posting accounts as its weight earns it, named from its
// list (and numbered once the list runs out).
struct PlanEntry {
  enum Type { kTotal, kFixed, kGroup } type;
  std::uint32_t character;
  bool debit_nature;
  std::string_view name;       // totals and fixed accounts
  std::string_view statement;  // totals: the label of the statements' total line
  std::string_view formula;    // totals
  Role role;                   // fixed accounts and groups
  int weight;                  // groups
  std::vector<std::string_view> names;
};

PlanEntry Total(std::uint32_t character, bool debit, std::string_view name,
                std::string_view statement, std::string_view formula) {
  return {PlanEntry::kTotal, character, debit, name, statement, formula, Role::kCash, 0, {}};
}

PlanEntry Fixed(std::uint32_t character, bool debit, std::string_view name, Role role) {
  return {PlanEntry::kFixed, character, debit, name, {}, {}, role, 0, {}};
}

PlanEntry Group(std::uint32_t character, bool debit, Role role, int weight,
                std::vector<std::string_view> names) {
  return {PlanEntry::kGroup, character, debit, {}, {}, {}, role, weight, std::move(names)};
}

// Posting accounts carry their section's bits plus a low bit of their own, so that no
// posting account has the exact character of a section's total, which the statements look
// up. The profit totals add up whole classes: the cost report's accounts (0x20000000)
// flow into cost of sales and every profit below it, and the year's profit into net assets
// so that the balance sheet balances.
const std::vector<PlanEntry>& Plan() {
  static const std::vector<PlanEntry> plan = {
      Total(0x80800000, true, "資産の部合計", "資産合計", "+0x80800000"),
      Total(0x80880000, true, "流動資産合計", "流動資産合計", "+0x80880000"),
      Group(0x80880100, true, Role::kCash, 4,
            {"現金", "普通預金", "当座預金", "定期預金", "小口現金"}),
      Group(0x80880200, true, Role::kReceivable, 3, {"売掛金", "受取手形", "電子記録債権"}),
      Group(0x80880400, true, Role::kInventory, 2, {"製品", "原材料", "仕掛品", "貯蔵品"}),
      Group(0x80880800, true, Role::kOtherAsset, 2, {"前払費用", "仮払金", "立替金", "未収入金"}),
      Fixed(0x80880810, true, "仮払消費税等", Role::kTax),
      Total(0x80840000, true, "固定資産合計", "固定資産合計", "+0x80840000"),
      Total(0x80848000, true, "有形固定資産合計", "有形固定資産計", "+0x80848000"),
      Group(0x80848100, true, Role::kFixedAsset, 2,
            {"建物", "機械装置", "車両運搬具", "工具器具備品", "土地"}),
      Group(0x80848200, false, Role::kAccumulatedDepreciation, 1, {"減価償却累計額"}),
      Total(0x80844000, true, "無形固定資産合計", "無形固定資産計", "+0x80844000"),
      Group(0x80844100, true, Role::kIntangible, 1, {"ソフトウェア", "電話加入権"}),
      Total(0x80842000, true, "投資その他の資産合計", "投資その他の資産計", "+0x80842000"),
      Group(0x80842100, true, Role::kInvestment, 1, {"投資有価証券", "差入保証金", "長期前払費用"}),
      Total(0x80820000, true, "繰延資産合計", "繰延資産合計", "+0x80820000"),
      Group(0x80820100, true, Role::kDeferred, 1, {"開業費", "創立費"}),
      Total(0x80400000, false, "負債の部合計", "負債合計", "+0x80400000"),
      Total(0x80480000, false, "流動負債合計", "流動負債合計", "+0x80480000"),
      Group(0x80480100, false, Role::kPayable, 3, {"買掛金", "支払手形", "電子記録債務"}),
      Group(0x80480200, false, Role::kOtherLiability, 3,
            {"未払金", "未払費用", "預り金", "短期借入金", "未払法人税等"}),
      Fixed(0x80484010, false, "仮受消費税等", Role::kTax),
      Total(0x80440000, false, "固定負債合計", "固定負債合計", "+0x80440000"),
      Group(0x80440100, false, Role::kLongTermDebt, 1, {"長期借入金", "退職給付引当金"}),
      Total(0x80200000, false, "純資産の部合計", "純資産合計",
            "+0x80200000 +0x40000000 +0x20000000"),
      Group(0x80280100, false, Role::kCapital, 1, {"資本金", "資本準備金", "利益準備金"}),
      Fixed(0x80202010, false, "繰越利益剰余金", Role::kRetainedEarnings),
      Total(0x80100000, false, "負債及び純資産の部合計", "負債純資産合計",
            "+0x80400000 +0x80200000 +0x40000000 +0x20000000"),
      Total(0x40888000, false, "売上高合計", "売上高合計", "+0x40888000"),
      Group(0x40888100, false, Role::kSales, 3, {"製品売上高", "商品売上高", "役務収益"}),
      Total(0x40884000, true, "売上原価合計", "売上原価", "+0x40884000 +0x20000000"),
      Group(0x40884100, true, Role::kCostOfSales, 1, {"期首製品棚卸高", "商品仕入高"}),
      Total(0x40884200, true, "当期製品製造原価", "当期製品製造原価", "+0x20000000"),
      Total(0x40880008, false, "売上総利益", "売上総利益", "+0x40888000 +0x40884000 +0x20000000"),
      Total(0x40882000, true, "販売費及び一般管理費合計", "販管費合計", "+0x40882000"),
      Group(0x40882100, true, Role::kExpense, 12,
            {"役員報酬", "給料手当", "法定福利費", "福利厚生費", "旅費交通費", "通信費", "消耗品費",
             "水道光熱費", "地代家賃", "減価償却費", "支払手数料", "租税公課", "広告宣伝費",
             "接待交際費", "表示装置保守料", "雑費"}),
      Total(0x40880000, false, "営業利益", "営業利益", "+0x40880000 +0x20000000"),
      Total(0x40848000, false, "営業外収益合計", "営業外収益合計", "+0x40848000"),
      Group(0x40848100, false, Role::kOtherIncome, 1, {"受取利息", "受取配当金", "雑収入"}),
      Total(0x40844000, true, "営業外費用合計", "営業外費用合計", "+0x40844000"),
      Group(0x40844100, true, Role::kOtherExpense, 1, {"支払利息", "雑損失"}),
      Total(0x40800000, false, "経常利益", "経常利益", "+0x40800000 +0x20000000"),
      Total(0x40480000, false, "特別利益合計", "特別利益合計", "+0x40480000"),
      Group(0x40480100, false, Role::kExtraordinaryIncome, 1, {"固定資産売却益"}),
      Total(0x40440000, true, "特別損失合計", "特別損失合計", "+0x40440000"),
      Group(0x40440100, true, Role::kExtraordinaryLoss, 1, {"固定資産除却損"}),
      Total(0x40200080, false, "税引前当期純利益", "税引前当期純利益",
            "+0x40800000 +0x40400000 +0x20000000"),
      Group(0x40200100, true, Role::kIncomeTax, 1, {"法人税、住民税及び事業税"}),
      Total(0x40200040, false, "当期純利益", "当期純利益", "+0x40000000 +0x20000000"),
      Total(0x20800000, true, "材料費合計", "材料費", "+0x20800000"),
      Group(0x20800100, true, Role::kManufacturing, 2, {"原材料仕入高", "期首原材料棚卸高"}),
      Total(0x20400000, true, "労務費合計", "労務費", "+0x20400000"),
      Group(0x20400100, true, Role::kManufacturing, 2, {"賃金", "賞与", "法定福利費(製)"}),
      Total(0x20040000, true, "外注加工費合計", "外注加工費", "+0x20040000"),
      Group(0x20040100, true, Role::kManufacturing, 1, {"外注加工費"}),
      Total(0x20200000, true, "製造経費合計", "製造経費", "+0x20200000"),
      Group(0x20200100, true, Role::kManufacturing, 3,
            {"電力料(製)", "修繕費(製)", "減価償却費(製)", "消耗品費(製)", "雑費(製)"}),
      Total(0x20080000, true, "当期総製造費用", "当期総製造費用",
            "+0x20800000 +0x20400000 +0x20040000 +0x20200000"),
      Total(0x20108000, true, "期首仕掛品棚卸高合計", "期首仕掛品棚卸高", "+0x20108000"),
      Group(0x20108100, true, Role::kManufacturing, 1, {"期首仕掛品棚卸高"}),
      Total(0x20100008, true, "合計", "合計",
            "+0x20800000 +0x20400000 +0x20040000 +0x20200000 +0x20108000"),
      Total(0x20102000, false, "期末仕掛品棚卸高合計", "期末仕掛品棚卸高", "+0x20102000"),
      Group(0x20102100, false, Role::kManufacturing, 1, {"期末仕掛品棚卸高"}),
  };
  return plan;
}

// Names of sub-accounts: banks, customers, suppliers, branches.
constexpr std::string_view kSubAccountNames[] = {
    "表ソ銀行",   "東京本店",   "大阪支店",       "ソフト商事株式会社", "名古屋工場",
    "福岡営業所", "札幌出張所", "有限会社ポート", "仙台倉庫",           "横浜物流センター",
};

std::string NumberedName(std::string_view name, std::size_t index, std::size_t pool_size) {
  std::string numbered(name);
  if (index >= pool_size) numbered += std::to_string(index / pool_size + 1);
  return std::string(text::PrefixOnCharacterBoundary(numbered, 30));
}

// Shares out `accounts` by weight, largest remainder first, ties to the earlier group.
std::vector<int> ShareOut(int accounts, const std::vector<int>& weights) {
  int total_weight = 0;
  for (const int weight : weights) total_weight += weight;
  std::vector<int> counts(weights.size());
  std::vector<std::pair<long long, std::size_t>> remainders;
  int given = 0;
  for (std::size_t g = 0; g < weights.size(); ++g) {
    const long long share = static_cast<long long>(accounts) * weights[g];
    counts[g] = static_cast<int>(share / total_weight);
    given += counts[g];
    remainders.push_back({-(share % total_weight), g});
  }
  std::sort(remainders.begin(), remainders.end());
  for (int k = 0; given < accounts; ++k, ++given) ++counts[remainders[k].second];
  return counts;
}

// How many of each group's accounts are main accounts: about four in five, at least one,
// and, when that would take main codes up to 10 000 or beyond, fewer in proportion (at
// least one each), so that every key stays below 100 000 000 and the rest become
// sub-accounts. `codes` is the number of main codes the groups may use.
std::vector<int> MainAccountCounts(const std::vector<int>& counts, int codes) {
  std::vector<int> mains;
  long long total = 0;
  for (const int count : counts) {
    const int subs = (count + 2) / 5;
    mains.push_back(count - subs < 1 ? count : count - subs);
    total += mains.back();
  }
  if (total <= codes) return mains;
  const long long groups = static_cast<long long>(mains.size());
  for (int& main : mains) {
    if (main > 1) main = static_cast<int>(1 + (main - 1) * (codes - groups) / (total - groups));
  }
  return mains;
}

}  // namespace

GeneratedChart LayOutChart(int accounts, GeneratorRandom& random) {
  const std::vector<PlanEntry>& plan = Plan();
  std::vector<int> weights;
  for (const PlanEntry& entry : plan) {
    if (entry.type == PlanEntry::kGroup) weights.push_back(entry.weight);
  }
  const std::vector<int> counts = ShareOut(std::max(accounts, 0), weights);
  const int fixed_codes = static_cast<int>(plan.size() - weights.size());
  const std::vector<int> main_counts =
      MainAccountCounts(counts, kMaxMainCode + 1 - kFirstMainCode - fixed_codes);

  GeneratedChart chart;
  std::int32_t code = kFirstMainCode;
  std::size_t group = 0;
  const auto add = [&](Account account, const PlanEntry& entry, bool target) {
    if (target) {
      chart.targets.push_back(
          {account.key, entry.role, account.debit_nature, (account.character & 0x80000000u) != 0});
    }
    chart.accounts.push_back(std::move(account));
  };
  for (const PlanEntry& entry : plan) {
    Account account;
    account.character = entry.character;
    account.debit_nature = entry.debit_nature;
    if (entry.type != PlanEntry::kGroup) {
      account.key = code++ * 10'000;
      account.formal_name = entry.name;
      account.statement_name = entry.statement;
      account.kind = entry.type == PlanEntry::kTotal ? kKindTotal : kKindPosting;
      account.formula = entry.formula;
      add(std::move(account), entry, entry.type == PlanEntry::kFixed);
      continue;
    }
    const int count = counts[group];
    const int mains = main_counts[group++];
    const int subs = count - mains;
    std::vector<int> subs_of_main(static_cast<std::size_t>(mains));
    for (int s = 0; s < subs; ++s) ++subs_of_main[static_cast<std::size_t>(random.Below(mains))];
    for (int m = 0; m < mains; ++m) {
      Account main = account;
      main.key = code++ * 10'000;
      main.formal_name = NumberedName(entry.names[static_cast<std::size_t>(m) % entry.names.size()],
                                      static_cast<std::size_t>(m), entry.names.size());
      const int sub_count = subs_of_main[static_cast<std::size_t>(m)];
      add(main, entry, sub_count == 0);
      for (int s = 1; s <= sub_count; ++s) {
        Account sub = main;
        sub.key = main.key + s;
        sub.kind = kKindSubAccount;
        constexpr std::size_t kNames = std::size(kSubAccountNames);
        sub.formal_name = NumberedName(kSubAccountNames[static_cast<std::size_t>(s - 1) % kNames],
                                       static_cast<std::size_t>(s - 1), kNames);
        add(std::move(sub), entry, true);
      }
    }
  }
  return chart;
}

}  // namespace vintor::books
