// Set 13: the eras of the books in ascending order of their first day, from memory.
#pragma once

#include "books/books_session.h"
#include "books/set_cursors.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

class EraSet : public platform::ClSetGengo {
 public:
  explicit EraSet(BooksSession& session) : session_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  // The eras are the same for every company; a known data ID is accepted and changes
  // nothing.
  int SetCurDataID(const char* data_id) override;
  int GetCursor(platform::SetCursor* cursor) override;
  int Ready(platform::SetCursor cursor) override;
  // The next era; kEndOfRecords after the last.
  int Walk(platform::StGENGOINFO* era, platform::SetCursor cursor) override;
  int ReleaseCursor(platform::SetCursor cursor) override;

 private:
  BooksSession& session_;
  SetCursors cursors_;
};

}  // namespace vintor::books
