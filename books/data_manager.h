// The data manager of the books library: it owns the sets (accounts, tax settings,
// company data, eras) and the user object, which live as long as the library.
#pragma once

#include "books/account_set.h"
#include "books/books_session.h"
#include "books/company_sets.h"
#include "books/era_set.h"
#include "platform/library.h"

namespace vintor::books {

class BooksDataManager : public platform::ClDataMgr {
 public:
  explicit BooksDataManager(BooksSession& session);

  platform::ClSetMgr* GetSetMgr() override { return &set_manager_; }
  // kSetAccounts, kSetTax, kSetCompanyData or kSetEras; nullptr for any other kind. The
  // mode is accepted and ignored: every set is readable in every mode.
  platform::ClSetBase* GetSetObject(int kind, int mode) override;
  platform::ClSysUser* GetSysUserObject() override { return &user_; }

 private:
  // The set manager hands out the same sets.
  class SetManager : public platform::ClSetMgr {
   public:
    explicit SetManager(BooksDataManager& owner) : owner_(owner) {}
    platform::ClSetBase* GetSetObject(int kind, int mode) override {
      return owner_.GetSetObject(kind, mode);
    }

   private:
    BooksDataManager& owner_;
  };

  AccountSet accounts_;
  TaxSettingsSet tax_;
  CompanyDataSet companies_;
  EraSet eras_;
  BooksSysUser user_;
  SetManager set_manager_;
};

}  // namespace vintor::books
