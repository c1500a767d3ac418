// The books library: our implementation of the accounting library interface on a books
// file. One object is one connection to one books file; every object it hands out lives
// as long as it does, and the cursors it creates must not outlive it.
//
// Typical use:
//   BooksLibrary library({.books_path = path, .display = show_message_box});
//   library.Connection().Initiate();   // opens the file read-only
//   ... the exporter's run against library ...
//   library.Connection().Terminate();
#pragma once

#include <memory>

#include "books/books_connection.h"
#include "books/books_options.h"
#include "books/books_session.h"
#include "books/data_manager.h"
#include "books/library_managers.h"
#include "books/message_manager.h"
#include "platform/library.h"

namespace vintor::books {

class BooksLibrary : public platform::AccountingLibrary {
 public:
  explicit BooksLibrary(BooksOptions options);
  ~BooksLibrary() override;
  BooksLibrary(const BooksLibrary&) = delete;
  BooksLibrary& operator=(const BooksLibrary&) = delete;

  platform::ClAccConnect& Connection() override { return connection_; }
  platform::ClDataMgr& DataManager() override { return data_manager_; }
  platform::ClLinkMgr& LinkManager() override { return link_manager_; }
  platform::ClMsgMgr& MessageManager() override { return message_manager_; }
  platform::ClFileMgr& FileManager() override { return file_manager_; }

  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override;
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override;
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override;
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override;
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override;

  // Frees a buffer from ClSaveKessansho::GetDataType02 (allocated with malloc).
  void TaskMemFree(void* buffer) override;

  // The last error a caller recorded with the message manager, for tests and diagnostics.
  const BooksMessageManager::LastError& last_error() const { return message_manager_.last_error(); }

 private:
  BooksSession session_;
  BooksConnection connection_;
  BooksDataManager data_manager_;
  BooksLinkManager link_manager_;
  BooksMessageManager message_manager_;
  BooksFileManager file_manager_;
};

}  // namespace vintor::books
