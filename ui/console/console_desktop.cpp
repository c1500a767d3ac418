#include "ui/console/console_desktop.h"

#include <utility>

#include "text/control_escapes.h"

namespace vintor::ui::console {
namespace {

constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconStop = 0x10;

const char* KindPrefix(unsigned style) {
  switch (style & kIconMask) {
    case kIconStop:
      return "エラー: ";
    case kIconQuestion:
      return "確認: ";
    case kIconExclamation:
      return "警告: ";
    case kIconInformation:
      return "情報: ";
    default:
      return "";
  }
}

bool IsYes(const std::string& answer) {
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes" ||
         answer == "はい";
}
bool IsNo(const std::string& answer) {
  return answer == "n" || answer == "N" || answer == "no" || answer == "NO" || answer == "No" ||
         answer == "いいえ";
}

}  // namespace

std::string MakeAbsolute(const std::string& path, const std::string& base) {
  if (path.empty() || path.front() == '/' || base.empty()) return path;
  return base.back() == '/' ? base + path : base + "/" + path;
}

ConsoleDesktop::ConsoleDesktop(Terminal& terminal, ConsoleDesktopOptions options)
    : terminal_(terminal), options_(std::move(options)) {}

int ConsoleDesktop::ShowMessage(WindowHandle, const std::string& text, const std::string&,
                                unsigned style) {
  const bool question = (style & kButtonMask) == kYesNo;
  if (!question) {
    const bool notice = (style & kIconMask) == kIconInformation;
    if (!(notice && options_.quiet)) terminal_.Write(KindPrefix(style) + text + "\n");
    return kAnswerOk;
  }
  // The question goes where the answer prompt goes, so a user always sees what is asked.
  terminal_.WritePrompt(KindPrefix(style) + text + "\n");
  return Answer();
}

void ConsoleDesktop::ShowDetail(const std::string& text) {
  if (!text.empty()) terminal_.Write("詳細: " + text + "\n");
}

int ConsoleDesktop::Answer() {
  switch (options_.answers) {
    case AnswerPolicy::kYes:
      terminal_.Write("[y/n] y (--yes)\n");
      return kAnswerYes;
    case AnswerPolicy::kNo:
      terminal_.Write("[y/n] n (--no)\n");
      return kAnswerNo;
    case AnswerPolicy::kAsk:
      break;
  }
  // Nobody can answer: a question that is not answered counts as No.
  if (!options_.interactive) {
    terminal_.Write("[y/n] n\n");
    return kAnswerNo;
  }
  for (;;) {
    std::string answer;
    if (terminal_.Ask("[y/n]: ", &answer) == Terminal::ReadResult::kEnd) return kAnswerNo;
    if (IsYes(answer)) return kAnswerYes;
    if (IsNo(answer)) return kAnswerNo;
    terminal_.WritePrompt("y（はい）か n（いいえ）で答えてください。\n");
  }
}

bool ConsoleDesktop::ChooseSaveFile(const SaveFileRequest& request, std::string* path) {
  if (!options_.interactive) return false;
  terminal_.Write(request.title + " (" +
                  text::EscapeControls(request.initial_folder + request.initial_name) + ")\n");
  std::string answer;
  if (terminal_.Ask("保存ファイル: ", &answer) == Terminal::ReadResult::kEnd) return false;
  if (answer.empty()) return false;
  // As in the save-file dialog, a name typed without an extension gets the default one.
  const std::size_t name_start = answer.rfind('/') == std::string::npos ? 0 : answer.rfind('/') + 1;
  if (!request.default_extension.empty() && answer.find('.', name_start) == std::string::npos) {
    answer += "." + request.default_extension;
  }
  // A bare name lands in the folder the dialog opened in, as in the save-file dialog.
  const std::string folder = request.initial_folder.empty()
                                 ? options_.relative_base
                                 : MakeAbsolute(request.initial_folder, options_.relative_base);
  *path = MakeAbsolute(answer, folder);
  return true;
}

}  // namespace vintor::ui::console
