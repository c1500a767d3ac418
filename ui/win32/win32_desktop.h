// The desktop of the Windows program: message boxes, the standard save-file dialog and the
// wait cursor, through the W functions.
#pragma once

#include <windows.h>

#include "ui/ui.h"

namespace vintor::ui::win32 {

class Win32Desktop : public Desktop {
 public:
  // MessageBoxW with the style as given; answers IDOK, IDYES or IDNO (the values of
  // kAnswerOk, kAnswerYes and kAnswerNo).
  int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override;
  // GetSaveFileNameW with the request's title, filter ("A|*.a||" form), default extension,
  // folder, name and flags. False when the user cancels or the name cannot be held in
  // CP932 (the user is told, and the dialog can be tried again).
  bool ChooseSaveFile(const SaveFileRequest& request, std::string* path) override;
  void BeginWaitCursor() override;
  void RestoreWaitCursor() override;
  void EndWaitCursor() override;

 private:
  HCURSOR cursor_before_wait_ = nullptr;
  bool waiting_ = false;
};

}  // namespace vintor::ui::win32
