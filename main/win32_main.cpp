// The exporter on Windows: the conditions dialog and the progress window on real windows,
// message boxes, the books of our own library, and the host's window by its handle.
// The program's exit code is the run's result code (0 finished, 1 cancelled or refused,
// 2 failed); a host learns it from the completion message.
// clang-format off
#include <windows.h>  // first: the other Win32 headers build on it
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <cstdlib>
#include <string>
#include <vector>

#include "app/batch_arguments.h"
#include "app/export_app.h"
#include "books/books_library.h"
#include "books/books_location.h"
#include "conditions/path_style.h"
#include "main/edition.h"
#include "main/win32_batch.h"
#include "os/os.h"
#include "text/encoding.h"
#include "ui/throttled_progress_view.h"
#include "ui/win32/win32_conditions_view.h"
#include "ui/win32/win32_desktop.h"
#include "ui/win32/win32_host_windows.h"
#include "ui/win32/win32_progress_view.h"
#include "ui/win32/win32_text.h"

namespace {

using namespace vintor;

std::string EnvironmentValue(const std::string& name) {
  const wchar_t* value = _wgetenv(ui::win32::Wide(name).c_str());
  if (value == nullptr) return {};
  return ui::win32::NarrowOrEmpty(value);
}

int Run(HINSTANCE instance, const wchar_t* command_line) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  ui::win32::Win32Desktop desktop;
  std::string error;
  const std::string books_path =
      books::ResolveBooksPath("", EnvironmentValue, books::kNativePathStyle, &error);
  if (books_path.empty()) {
    desktop.ShowMessage(0, error, ui::kCaption, ui::kWarning);
    return app::kResultFailed;
  }

  // "--batch" first: many companies without the dialog (win32_batch.h).
  if (command_line != nullptr) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(command_line, &count);
    std::vector<std::string> arguments;
    for (int k = 0; words != nullptr && k < count; ++k) {
      arguments.push_back(ui::win32::NarrowOrEmpty(words[k]));
    }
    if (words != nullptr) LocalFree(words);
    if (app::IsBatchCommandLine(arguments)) {
      return main::RunWin32Batch(instance, arguments, desktop, books_path);
    }
  }
  books::BooksLibrary library(
      {.books_path = books_path,
       .user_id = "",
       .data_number = 0,
       .display = [&desktop](platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) {
         return desktop.ShowMessage(owner, text, caption, style);
       }});
  ui::win32::Win32HostWindows host_windows;
  ui::win32::Win32ProgressView progress_window(instance);
  ui::ThrottledProgressView progress_view(progress_window, os::MonotonicMilliseconds);

  app::ExportApp run({.library = library,
                      .os = os::SystemOs(),
                      .desktop = desktop,
                      .host_windows = host_windows,
                      .path_style = conditions::NativePathStyle(),
                      .show_conditions =
                          [instance](conditions::ConditionsDialog& dialog) {
                            return ui::win32::RunConditionsDialog(dialog, instance);
                          },
                      .progress_view = &progress_view},
                     main::ThisEdition());

  // The command line after the program's name is the hand-shake of a host, if any. Text
  // that code page 932 cannot hold is no hand-shake: the run is stand-alone.
  std::string handshake;
  if (command_line != nullptr) handshake = ui::win32::NarrowOrEmpty(command_line);
  run.Start(handshake);
  run.Exit();
  return run.result_code();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  return Run(instance, command_line);
}
