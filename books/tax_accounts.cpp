#include "books/tax_accounts.h"

namespace vintor::books {

TaxAccounts FindTaxAccounts(const std::vector<Account>& accounts) {
  TaxAccounts found;
  for (const Account& account : accounts) {
    if (account.kind == kKindTotal) continue;
    if (account.character == kDebitTaxCharacter && found.debit_tax_key == 0) {
      found.debit_tax_key = account.key;
    }
    if (account.character == kCreditTaxCharacter && found.credit_tax_key == 0) {
      found.credit_tax_key = account.key;
    }
  }
  return found;
}

}  // namespace vintor::books
