#include "books/chart_references.h"

#include <vector>

#include "books/interchange_fields.h"

namespace vintor::books {

std::string CheckChartReferences(const CompanyBooks& books,
                                 const std::unordered_map<std::int32_t, std::size_t>& by_key,
                                 const Account& account) {
  const std::string in_company = " in company " + std::to_string(books.company.data_number);
  if (account.kind == kKindSubAccount) {
    const std::int32_t main_key = account.key / 10'000 * 10'000;
    const auto main = by_key.find(main_key);
    if (main == by_key.end()) {
      return "sub-account " + std::to_string(account.key) + " has no main account " +
             std::to_string(main_key) + in_company;
    }
    if (books.accounts[main->second].kind == kKindTotal) {
      return "the main account " + std::to_string(main_key) + " of sub-account " +
             std::to_string(account.key) + " is a total account";
    }
    return {};
  }
  std::vector<FormulaTerm> terms;
  std::string problem;
  ParseFormula(account.formula, &terms, &problem);
  for (const FormulaTerm& term : terms) {
    if (term.is_mask) continue;
    const auto named = by_key.find(term.key);
    if (named == by_key.end())
      return "formula: unknown account " + std::to_string(term.key) + in_company;
    const Account& named_account = books.accounts[named->second];
    if (named_account.kind != kKindPosting && named_account.kind != kKindNoLedger) {
      return "formula: account " + std::to_string(term.key) + " is of kind " +
             std::to_string(named_account.kind) + "; a formula names accounts of kind 0 or 3";
    }
    if (account.kind == kKindNoLedger && HasOwnFormula(named_account)) {
      return "formula: account " + std::to_string(term.key) +
             " has a formula of its own; the formula of an account of kind 3 names accounts "
             "without one";
    }
  }
  return {};
}

}  // namespace vintor::books
