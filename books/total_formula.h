// The formula of a total account: terms separated by blanks, each "+" or "-" followed by
// either 0xMMMMMMMM (every account of kind 0 or 3 whose character has all bits of the mask)
// or #KEY (one account). A total's debits and credits in every slot and set are the sums of
// its terms'.
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

  // Sums the terms over the chart's totals (an account without totals counts as zero).
  // 0; kCodeBadFormula when a #KEY term names no account of the chart or a total account;
  // kCodeOverflow when a sum leaves the 64-bit range.
  int Evaluate(const Chart& chart, const TotalsByKey& totals, AccountTotals* result) const;

  const std::vector<Term>& terms() const { return terms_; }

 private:
  std::vector<Term> terms_;
};

}  // namespace vintor::books
