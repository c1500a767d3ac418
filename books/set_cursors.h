// The cursors a set hands out: opaque handles to a position in the set's records. Only
// handles this table handed out and has not released are accepted.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/library.h"

namespace vintor::books {

struct SetCursorState {
  bool ready = false;        // prepared with the set's ready call
  std::size_t position = 0;  // the next record to deliver
};

class SetCursors {
 public:
  platform::SetCursor Open() {
    cursors_.push_back(std::make_unique<SetCursorState>());
    return cursors_.back().get();
  }
  // nullptr for a handle this table does not hold.
  SetCursorState* Find(platform::SetCursor cursor) {
    for (const auto& held : cursors_) {
      if (held.get() == cursor) return held.get();
    }
    return nullptr;
  }
  bool Release(platform::SetCursor cursor) {
    for (auto it = cursors_.begin(); it != cursors_.end(); ++it) {
      if (it->get() == cursor) {
        cursors_.erase(it);
        return true;
      }
    }
    return false;
  }

 private:
  std::vector<std::unique_ptr<SetCursorState>> cursors_;
};

}  // namespace vintor::books
