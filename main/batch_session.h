// A library session of the books for one company of a batch (or for planning one), with the
// connection opened as a run opens it. The library's messages are kept, not shown: a batch
// reports per company.
#pragma once

#include <string>

#include "app/batch_export.h"
#include "books/books_library.h"
#include "main/edition.h"
#include "ui/ui.h"

namespace vintor::main {

class BatchSession {
 public:
  BatchSession(const std::string& books_path, const std::string& user_id)
      : library_({.books_path = books_path,
                  .user_id = user_id,
                  .display = [this](platform::WindowHandle, const std::string& text,
                                    const std::string&, unsigned) {
                    said_ += text + "\n";
                    return 1;
                  }}) {
    platform::ClAccConnect& connection = library_.Connection();
    connection.SetTitle(ui::kCaption);
    connection.SetAppType(ThisEdition().app_type);
    connection.SetUseDataType(1);
    // A batch does not need a company selected: only a user that is not registered, or
    // books that cannot be opened, stop it.
    open_ = connection.Initiate() == platform::kSuccess && connection.ExpSysLink() != 2;
  }
  ~BatchSession() {
    platform::ClAccConnect& connection = library_.Connection();
    connection.LogOut();
    connection.Terminate();
    connection.Release();
  }
  BatchSession(const BatchSession&) = delete;
  BatchSession& operator=(const BatchSession&) = delete;

  bool open() const { return open_; }
  // What the library said while the session was opened or used.
  const std::string& said() const { return said_; }
  platform::AccountingLibrary& library() { return library_; }

 private:
  std::string said_;
  books::BooksLibrary library_;
  bool open_ = false;
};

// Exports one planned company of a batch in a session of its own (user_id may be empty: the
// library's current user), so no company's run can leave anything behind for the next. A
// refused company gives its skipped row without a session; books that cannot be opened fail
// the company. progress may be null.
batch::CompanyRow ExportInOwnSession(const std::string& books_path, const std::string& user_id,
                                     os::Os& os, const app::PlannedCompany& company,
                                     ui::ProgressWindow* progress);

}  // namespace vintor::main
