// The conditions dialog on Windows: dialog template 130, driven by the ConditionsDialog
// presenter. The view only reads and writes controls; the presenter decides.
#pragma once

#include <windows.h>

#include "conditions/conditions_dialog.h"
#include "ui/ui.h"

namespace vintor::ui::win32 {

// Shows the dialog modally, owned by the presenter's parent window (the host's window, or
// none), and answers how it ended (kDialogExecuted or kDialogCancelled).
//
// The dialog runs a message loop of its own rather than the system's modal loop, so that
// every key-down reaches the presenter's OnKeyDown before the dialog manager sees it
// (Enter per control, F12 anywhere); keys it leaves alone, and keys with Shift, Ctrl or Alt
// held, get the standard dialog handling (Esc reaches Cancel). The owner's enabled state
// is left as the run set it. Returns kDialogCancelled when the window cannot be created.
int RunConditionsDialog(conditions::ConditionsDialog& dialog, HINSTANCE instance);

// Places a window in the middle of its owner, or of the screen's work area when it has no
// visible owner, and always wholly on the screen; a window made a child of another (the
// progress window inside a host's window) in the middle of its parent's client area.
void CenterOnOwnerOrScreen(HWND window);

class Win32ConditionsView : public ConditionsView {
 public:
  explicit Win32ConditionsView(HWND dialog) : dialog_(dialog) {}

  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(dialog_); }
  // The control's text in CP932; a text the code page cannot hold reads as empty, which
  // every check then refuses.
  std::string GetText(int control) override;
  void SetText(int control, const std::string& text) override;
  bool IsChecked(int control) override;
  void SetChecked(int control, bool checked) override;
  bool IsEnabled(int control) override;
  void Enable(int control, bool enabled) override;
  void LimitText(int control, int characters) override;
  void Focus(int control, bool select_all) override;
  void EndDialog(int result) override;

  bool ended() const { return ended_; }
  int result() const { return result_; }

 private:
  HWND dialog_;
  bool ended_ = false;
  int result_ = kDialogCancelled;
};

}  // namespace vintor::ui::win32
