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

// Lays out the totals and fixed accounts and `accounts` more (at least 0; the caller bounds
// it) over the posting sections by weight, about a fifth of them as sub-accounts of a main
// account of the same section chosen at random. Main codes count up from 100 in chart
// order.
GeneratedChart LayOutChart(int accounts, GeneratorRandom& random);

}  // namespace vintor::books
