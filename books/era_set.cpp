#include "books/era_set.h"

#include <cstring>

#include "books/books_codes.h"
#include "text/cp932.h"

namespace vintor::books {

int EraSet::SetCurDataID(const char* data_id) {
  return DataSelection(session_).Select(data_id);
}

int EraSet::GetCursor(platform::SetCursor* cursor) {
  if (cursor == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  *cursor = cursors_.Open();
  return platform::kSuccess;
}

int EraSet::Ready(platform::SetCursor cursor) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  *state = {true, 0};
  return platform::kSuccess;
}

int EraSet::Walk(platform::StGENGOINFO* era, platform::SetCursor cursor) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  if (!state->ready) return kCodeNotReady;
  if (era == nullptr) return kCodeBadArgument;
  const auto& eras = session_.eras();
  if (state->position >= eras.size()) return platform::kEndOfRecords;
  const Era& next = eras[state->position++];
  std::memset(era, 0, sizeof *era);
  era->id = next.id;
  era->first_day = next.first_day;
  text::CopyBounded(next.name, era->name);
  return platform::kSuccess;
}

int EraSet::ReleaseCursor(platform::SetCursor cursor) {
  return cursors_.Release(cursor) ? platform::kSuccess : kCodeBadCursor;
}

}  // namespace vintor::books
