// The formula of an account: terms separated by blanks, each "+" or "-" followed by either
// 0xMMMMMMMM (every account of kind 0 or 3 whose character has all bits of the mask) or
// #KEY (one account). Formulas are evaluated in two stages, slot by slot and set by set:
//
//  1. Accounts of kind 3 with a formula. Their totals are their own (openings and postings,
//     sub-accounts included) plus their terms', where the terms count the plain totals of
//     kind 0 and 3 accounts: a mask skips every other account with a formula of its own,
//     and #KEY may not name one. So such an account can carry, say, the running profit
//     without one formula depending on another.
//  2. Total accounts (kind 2). Their debits and credits are the sums of their terms', which
//     count the complete totals of kind 0 and 3 accounts (a kind 3 account's formula part
//     included), so a section total includes what stage 1 added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "books/books_session.h"
#include "books/monthly_totals.h"

namespace vintor::books {

class TotalFormula {
 public:
  struct Term {
    int sign = 1;          // +1 or -1
    bool by_mask = false;  // true: every account whose character has the mask's bits
    std::uint32_t mask = 0;
    std::int32_t key = 0;  // by_mask false: the one account
  };

  // False with *error saying what is wrong with the text.
  static bool Parse(std::string_view text, TotalFormula* formula, std::string* error);

  enum class Stage {
    kNoLedgerAccount,  // stage 1: over plain totals, formula-bearing accounts left out
    kTotal,            // stage 2: over complete totals
  };

  // Sums the terms over the chart's totals (an account without totals counts as zero) as
  // the stage says; the caller adds an account's own totals in stage 1. 0;
  // kCodeBadFormula when a #KEY term names no account of the chart, a total account, or in
  // stage 1 an account with a formula of its own; kCodeOverflow when a sum leaves the
  // 64-bit range.
  int Evaluate(const Chart& chart, const TotalsByKey& totals, Stage stage,
               AccountTotals* result) const;

  const std::vector<Term>& terms() const { return terms_; }

 private:
  std::vector<Term> terms_;
};

}  // namespace vintor::books
