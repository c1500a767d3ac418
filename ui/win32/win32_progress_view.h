// The progress window on Windows: a modeless dialog on template 131 with the main bar
// (control 1016, 0 to 10 000) and the activity bar (control 1017, 0 to 5), the caption
// "集計中 N％".
//
// Contract (see ProgressView): the run calls the view on its one thread, the thread that
// created it, and runs no message loop while it works. So that the windows repaint and the
// system never marks the program as not responding, every Repaint draws the state and then
// handles the messages waiting for the thread: paint and other window messages are
// dispatched, while keyboard and mouse input is dropped (the run takes no input while it
// works). Put a ThrottledProgressView in front: drawing costs a round trip to the desktop.
#pragma once

#include <windows.h>

#include <string>

#include "ui/progress_window.h"

namespace vintor::ui::win32 {

class Win32ProgressView : public ProgressView {
 public:
  // Creates the window, hidden, without an owner. Handle() is 0 when it cannot be created;
  // the view then draws nothing.
  explicit Win32ProgressView(HINSTANCE instance);
  ~Win32ProgressView() override;
  Win32ProgressView(const Win32ProgressView&) = delete;
  Win32ProgressView& operator=(const Win32ProgressView&) = delete;

  void Repaint(const ProgressState& state) override;
  // Text shown before the percentage in the title, such as "(3/20) " for a batch's counter;
  // shown at once.
  void SetCaptionPrefix(const std::string& prefix);
  void Show(bool visible) override;
  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(window_); }

 private:
  void HandleWaitingMessages();

  HWND window_ = nullptr;
  std::string caption_prefix_;
  int caption_percent_ = -2;
};

}  // namespace vintor::ui::win32
