#include "books/data_manager.h"

namespace vintor::books {

BooksDataManager::BooksDataManager(BooksSession& session)
    : accounts_(session),
      tax_(session),
      companies_(session),
      eras_(session),
      user_(session),
      set_manager_(*this) {}

platform::ClSetBase* BooksDataManager::GetSetObject(int kind, int /*mode*/) {
  switch (kind) {
    case platform::kSetAccounts:
      return &accounts_;
    case platform::kSetTax:
      return &tax_;
    case platform::kSetCompanyData:
      return &companies_;
    case platform::kSetEras:
      return &eras_;
    default:
      return nullptr;
  }
}

}  // namespace vintor::books
