// The reader of the statements saved in the books: the notes texts of the current
// company, by data kind (0 settings, 100 input mode, 1000 the notes).
#pragma once

#include <cstdint>

#include "books/books_session.h"
#include "platform/library.h"

namespace vintor::books {

class SavedStatements : public platform::ClSaveKessansho {
 public:
  explicit SavedStatements(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int AttachOptLink(platform::ClOptLink*) override { return platform::kSuccess; }

  // The text of a kind in a buffer from malloc (the library's TaskMemFree frees it), NUL
  // after its length bytes. kEndOfRecords (no such record), with *buffer null and *length
  // 0, when the company has no text of that kind; any other failure (books not open, no
  // company, a query that fails) answers a books error code, also with a null buffer.
  int GetDataType02(int kind, char** buffer, std::int32_t* length) override;

 private:
  BooksSession& session_;
  DataSelection selection_;
};

}  // namespace vintor::books
