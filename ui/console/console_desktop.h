// The desktop of the Linux front-end: message boxes become lines on the terminal (standard
// error in the program), questions are answered by the --yes/--no choice or asked on the
// terminal, and the save-file dialog asks for a path.
#pragma once

#include <string>

#include "ui/console/terminal.h"
#include "ui/ui.h"

namespace vintor::ui::console {

// How the questions of message boxes are answered.
enum class AnswerPolicy {
  kAsk,  // ask on the terminal when the user can answer there, else No
  kYes,
  kNo,
};

struct ConsoleDesktopOptions {
  AnswerPolicy answers = AnswerPolicy::kAsk;
  // True when the user can answer on the terminal (standard input is a terminal).
  bool interactive = false;
  // Information notices are not shown (warnings and questions still are).
  bool quiet = false;
  // Relative paths typed by the user are taken against this folder (the folder the
  // program was started in, before the run changed it); empty: taken as typed.
  std::string relative_base;
};

class ConsoleDesktop : public Desktop {
 public:
  // terminal is not owned and must outlive this object.
  ConsoleDesktop(Terminal& terminal, ConsoleDesktopOptions options);

  // Prints the text after the kind of box ("警告: ", "確認: ", "情報: ", "エラー: ").
  // A question (kYesNo) shows the answer it got.
  int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override;
  // Prints "詳細: " and the text on a line of its own.
  void ShowDetail(const std::string& text) override;
  // Asks for the file on the terminal; false when the user cannot be asked, enters an
  // empty line or input ends. A name without an extension gets the default one; a
  // relative path is taken in the request's initial folder.
  bool ChooseSaveFile(const SaveFileRequest& request, std::string* path) override;
  void BeginWaitCursor() override {}
  void RestoreWaitCursor() override {}
  void EndWaitCursor() override {}

  Terminal& terminal() { return terminal_; }
  const ConsoleDesktopOptions& options() const { return options_; }

 private:
  int Answer();

  Terminal& terminal_;
  ConsoleDesktopOptions options_;
};

// path when it is absolute (starts with '/') or base is empty, else base/path.
std::string MakeAbsolute(const std::string& path, const std::string& base);

}  // namespace vintor::ui::console
