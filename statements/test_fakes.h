// Test aids for the report tests: a file that records what is written to it and a desktop
// that records the message boxes it is asked to show.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "os/os.h"
#include "ui/ui.h"

namespace vintor::statements::testing_aids {

// Records the bytes appended. From the fail_from-th Append on (1-based, 0 = never) Append
// fails without writing; Close answers !fail_close; Commit answers !fail_commit and counts.
class RecordingFile : public os::ReplacementFile {
 public:
  bool Append(std::string_view bytes) override {
    ++appends;
    if (fail_from != 0 && appends >= fail_from) return false;
    written.append(bytes);
    return true;
  }
  bool Close() override {
    ++closes;
    return !fail_close;
  }
  bool Commit() override {
    ++commits;
    return !fail_commit;
  }
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    if (offset >= written.size()) return 0;
    const std::size_t n = std::min<std::size_t>(capacity, written.size() - offset);
    written.copy(buffer, n, offset);
    return static_cast<long>(n);
  }

  std::string written;
  int appends = 0;
  int closes = 0;
  int commits = 0;
  int fail_from = 0;
  bool fail_close = false;
  bool fail_commit = false;
};

struct ShownMessage {
  ui::WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class RecordingDesktop : public ui::Desktop {
 public:
  int ShowMessage(ui::WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    messages.push_back({owner, text, caption, style});
    return ui::kAnswerOk;
  }
  bool ChooseSaveFile(const ui::SaveFileRequest&, std::string*) override { return false; }
  void BeginWaitCursor() override {}
  void RestoreWaitCursor() override {}
  void EndWaitCursor() override {}

  std::vector<ShownMessage> messages;
};

}  // namespace vintor::statements::testing_aids
