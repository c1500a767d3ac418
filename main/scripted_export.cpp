#include "main/scripted_export.h"

#include "conditions/path_style.h"
#include "os/os.h"

namespace vintor::main::testing {

ScriptedDesktop::ScriptedDesktop(bool quiet)
    : terminal_(no_input_, messages_, ui::console::TerminalCharset::kUtf8),
      desktop_(terminal_, {.answers = ui::console::AnswerPolicy::kYes,
                           .interactive = false,
                           .quiet = quiet,
                           .relative_base = ""}) {}

books::DisplayFunction ScriptedDesktop::Display() {
  return [this](platform::WindowHandle owner, const std::string& text, const std::string& caption,
                unsigned style) { return desktop_.ShowMessage(owner, text, caption, style); };
}

app::ExportEnvironment ScriptedEnvironment(platform::AccountingLibrary& library,
                                           ScriptedDesktop& desktop, ui::HostWindows& hosts,
                                           const ui::console::ConsoleChoices& choices,
                                           ui::ProgressView* progress_view, os::Os* os) {
  return {.library = library,
          .os = os != nullptr ? *os : os::SystemOs(),
          .desktop = desktop.desktop(),
          .host_windows = hosts,
          .path_style = conditions::NativePathStyle(),
          .show_conditions =
              [&desktop, &choices](conditions::ConditionsDialog& dialog) {
                return ui::console::RunConsoleDialog(dialog, desktop.desktop(), choices, false);
              },
          .progress_view = progress_view};
}

}  // namespace vintor::main::testing
