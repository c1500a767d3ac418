// A test and benchmark aid: the exporter's run in process, as a command line without a
// terminal would drive it. Questions are answered Yes; messages are kept as text.
#pragma once

#include <sstream>
#include <string>

#include "app/export_app.h"
#include "books/books_options.h"
#include "ui/console/console_desktop.h"
#include "ui/console/console_dialog.h"
#include "ui/host_windows.h"

namespace vintor::main::testing {

// A host that is not there.
class NoHostWindows : public ui::HostWindows {
 public:
  void Enable(ui::WindowHandle, bool) override {}
  void BringToForeground(ui::WindowHandle) override {}
  void SetParent(ui::WindowHandle, ui::WindowHandle) override {}
  void PostToWindow(ui::WindowHandle, std::uint32_t, std::int32_t, std::int32_t) override {}
};

// The console desktop with nobody at the terminal.
class ScriptedDesktop {
 public:
  explicit ScriptedDesktop(bool quiet = false);
  ScriptedDesktop(const ScriptedDesktop&) = delete;
  ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

  ui::console::ConsoleDesktop& desktop() { return desktop_; }
  // What the run told the user, as UTF-8 text.
  std::string messages() const { return messages_.str(); }
  // The books library's message display, shown on this desktop.
  books::DisplayFunction Display();

 private:
  std::istringstream no_input_;
  std::ostringstream messages_;
  ui::console::Terminal terminal_;
  ui::console::ConsoleDesktop desktop_;
};

// The seams of a run on the given library and desktop, with the dialog's choices as a
// command line gives them; the system's Os unless another is given. Everything passed in
// must outlive the run.
app::ExportEnvironment ScriptedEnvironment(platform::AccountingLibrary& library,
                                           ScriptedDesktop& desktop, ui::HostWindows& hosts,
                                           const ui::console::ConsoleChoices& choices,
                                           ui::ProgressView* progress_view = nullptr,
                                           os::Os* os = nullptr);

}  // namespace vintor::main::testing
