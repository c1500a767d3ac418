// Set 1: the chart of accounts of the current company, looked up by key. Served from the
// chart the session keeps in memory, so a lookup per ledger line costs no query.
#pragma once

#include "books/books_session.h"
#include "books/set_cursors.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

class AccountSet : public platform::ClSetKamoku {
 public:
  explicit AccountSet(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int GetCursor(platform::SetCursor* cursor) override;
  int ReadyCursor(platform::SetCursor cursor) override;
  // The condition must be one block "account equals key" (item 2, operator 1), the key a
  // main account's (code x 10 000) or a sub-account's. Fills key, name and character;
  // kEndOfRecords when the chart has no such account, kCodeBadCondition for any other
  // condition.
  int WalkFind(platform::SetCursor cursor, const platform::StFINDINFO* find,
               platform::StKAMOKUINFO* account) override;
  int ReleaseCursor(platform::SetCursor cursor) override;

 private:
  BooksSession& session_;
  DataSelection selection_;
  SetCursors cursors_;
};

}  // namespace vintor::books
