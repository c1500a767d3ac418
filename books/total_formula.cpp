#include "books/total_formula.h"

#include "books/books_codes.h"

namespace vintor::books {
namespace {

bool ParseHex(std::string_view digits, std::uint32_t* value) {
  if (digits.size() != 8) return false;
  std::uint32_t result = 0;
  for (const char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    result = result << 4 | static_cast<std::uint32_t>(digit);
  }
  *value = result;
  return true;
}

bool ParseKey(std::string_view digits, std::int32_t* value) {
  if (digits.empty() || digits.size() > 9) return false;
  std::int32_t result = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  *value = result;
  return true;
}

const AccountTotals& TotalsOf(const TotalsByKey& totals, std::int32_t key) {
  static const AccountTotals kNone;
  const auto found = totals.find(key);
  return found == totals.end() ? kNone : found->second;
}

}  // namespace

bool TotalFormula::Parse(std::string_view text, TotalFormula* formula, std::string* error) {
  std::vector<Term> terms;
  std::size_t k = 0;
  while (k < text.size()) {
    if (text[k] == ' ') {
      ++k;
      continue;
    }
    std::size_t end = text.find(' ', k);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view token = text.substr(k, end - k);
    k = end;
    Term term;
    if (token[0] != '+' && token[0] != '-') {
      *error = "the term \"" + std::string(token) + "\" does not start with + or -";
      return false;
    }
    term.sign = token[0] == '+' ? 1 : -1;
    const std::string_view operand = token.substr(1);
    if (operand.substr(0, 2) == "0x") {
      term.by_mask = true;
      if (!ParseHex(operand.substr(2), &term.mask)) {
        *error = "the mask \"" + std::string(operand) + "\" is not 0x and eight hex digits";
        return false;
      }
    } else if (operand.substr(0, 1) == "#") {
      if (!ParseKey(operand.substr(1), &term.key)) {
        *error = "the key \"" + std::string(operand) + "\" is not # and a decimal key";
        return false;
      }
    } else {
      *error = "the term \"" + std::string(token) + "\" is neither a mask nor a key";
      return false;
    }
    terms.push_back(term);
  }
  formula->terms_ = std::move(terms);
  return true;
}

int TotalFormula::Evaluate(const Chart& chart, const TotalsByKey& totals, Stage stage,
                           AccountTotals* result) const {
  *result = AccountTotals();
  // Stage 1 reads plain totals only, so no account's formula part depends on another's.
  const bool plain_only = stage == Stage::kNoLedgerAccount;
  for (const Term& term : terms_) {
    if (term.by_mask) {
      for (const Account& account : chart.accounts()) {
        if (account.kind != kKindPosting && account.kind != kKindNoLedger) continue;
        if (plain_only && HasOwnFormula(account)) continue;
        if ((account.character & term.mask) != term.mask) continue;
        if (!result->Accumulate(TotalsOf(totals, account.key), term.sign)) return kCodeOverflow;
      }
      continue;
    }
    // A total of totals would need an order of evaluation; the books keep formulas over
    // accounts that take postings only.
    const Account* account = chart.Find(term.key);
    if (account == nullptr || account->kind == kKindTotal) return kCodeBadFormula;
    if (plain_only && HasOwnFormula(*account)) return kCodeBadFormula;
    if (!result->Accumulate(TotalsOf(totals, term.key), term.sign)) return kCodeOverflow;
  }
  return platform::kSuccess;
}

}  // namespace vintor::books
