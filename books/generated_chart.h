// The chart of accounts of generated books (see generator.h): the plan of sections, in
// chart order, and the layout of a requested number of accounts over it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "books/books_data.h"
#include "books/generator_random.h"

namespace vintor::books {

// What a posting account is used for when journal lines are generated.
enum class AccountRole {
  kCash,
  kReceivable,
  kInventory,
  kOtherAsset,
  kFixedAsset,
  kAccumulatedDepreciation,
  kIntangible,
  kInvestment,
  kDeferred,
  kPayable,
  kOtherLiability,
  kLongTermDebt,
  kCapital,
  kRetainedEarnings,
  kTax,
  kSales,
  kCostOfSales,
  kExpense,
  kOtherIncome,
  kOtherExpense,
  kExtraordinaryIncome,
  kExtraordinaryLoss,
  kIncomeTax,
  kManufacturing,
  kCount,
};

// An account that journal lines may name: a main account without sub-accounts, or a
// sub-account.
struct PostingTarget {
  std::int32_t key = 0;
  AccountRole role = AccountRole::kCash;
  bool debit_nature = true;
  bool balance_sheet = true;
};

struct GeneratedChart {
  std::vector<Account> accounts;  // chart order
  std::vector<PostingTarget> targets;
};

// Main codes of generated charts: from 100, and never 10 000 or more, since a key is the
// main code x 10 000 plus the sub-account number and the exporter takes a key below
// 10 000 x 10 000 apart that way.
inline constexpr std::int32_t kFirstMainCode = 100;
inline constexpr std::int32_t kMaxMainCode = 9'999;

// Lays out the totals and fixed accounts and `accounts` more (at least 0, at most the
// generator's limit) over the posting sections by weight, about a fifth of them as
// sub-accounts of a main account of the same section chosen at random. Main codes count up
// from kFirstMainCode in chart order; a chart too large for that many main codes keeps
// fewer main accounts per section and makes the others its sub-accounts, so no main code
// passes kMaxMainCode.
GeneratedChart LayOutChart(int accounts, GeneratorRandom& random);

}  // namespace vintor::books
