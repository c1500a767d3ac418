// The small managers of the books library: the option link (which the books need nothing
// from) and the product's folders as the books name them.
#pragma once

#include <string>

#include "books/books_session.h"
#include "platform/library.h"

namespace vintor::books {

class BooksLinkManager : public platform::ClLinkMgr {
 public:
  platform::ClOptLink* GetOptLink() override { return &link_; }

 private:
  platform::ClOptLink link_;
};

class BooksFileManager : public platform::ClFileMgr {
 public:
  explicit BooksFileManager(BooksSession& session) : session_(session) {}
  // The folder of a type as the books name it; empty when they name none or are not open.
  std::string GetAppFolderPath(int folder_type) override {
    return session_.FolderPath(folder_type);
  }

 private:
  BooksSession& session_;
};

}  // namespace vintor::books
