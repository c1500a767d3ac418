#include "ui/win32/win32_progress_view.h"

#include <commctrl.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "ui/win32/win32_conditions_view.h"
#include "ui/win32/win32_text.h"

namespace vintor::ui::win32 {

namespace {

constexpr int kMainBar = 1016;
constexpr int kActivityBar = 1017;
constexpr int kActivityRange = 5;

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM, LPARAM) {
  // The window handles no messages of its own; the dialog manager draws it.
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_NCLBUTTONDOWN ||
         message == WM_NCRBUTTONDOWN || message == WM_NCMBUTTONDOWN;
}

}  // namespace

Win32ProgressView::Win32ProgressView(HINSTANCE instance) {
  window_ =
      CreateDialogParamW(instance, MAKEINTRESOURCEW(VINTOR_IDD_PROGRESS), nullptr, ProgressProc, 0);
  if (window_ == nullptr) return;
  CenterOnOwnerOrScreen(window_);
  SendDlgItemMessageW(window_, kMainBar, PBM_SETRANGE32, 0, 10'000);
  SendDlgItemMessageW(window_, kActivityBar, PBM_SETRANGE32, 0, kActivityRange);
}

Win32ProgressView::~Win32ProgressView() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void Win32ProgressView::Repaint(const ProgressState& state) {
  if (window_ == nullptr) return;
  if (state.caption_percent != caption_percent_ && state.caption_percent >= 0) {
    caption_percent_ = state.caption_percent;
    SetWindowTextW(window_, Wide(caption_prefix_ + ProgressCaption(state.caption_percent)).c_str());
  }
  SendDlgItemMessageW(window_, kMainBar, PBM_SETPOS, static_cast<WPARAM>(state.main_bar), 0);
  // The throttle lets about one picture of each pulse through; showing the pulse count
  // keeps the activity bar running from empty to full as the run goes on.
  const auto activity = static_cast<WPARAM>(state.pulses % (kActivityRange + 1));
  SendDlgItemMessageW(window_, kActivityBar, PBM_SETPOS, activity, 0);
  // The window stays above the others while the run works, as a system-modal window does.
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  UpdateWindow(window_);
  HandleWaitingMessages();
}

void Win32ProgressView::SetCaptionPrefix(const std::string& prefix) {
  caption_prefix_ = prefix;
  if (window_ == nullptr) return;
  SetWindowTextW(window_,
                 Wide(caption_prefix_ + ProgressCaption(std::max(caption_percent_, 0))).c_str());
}

void Win32ProgressView::Show(bool visible) {
  if (window_ == nullptr) return;
  // Placed when shown: a host may have made it a child of its window in the meantime.
  if (visible) CenterOnOwnerOrScreen(window_);
  ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
  if (visible) {
    SetForegroundWindow(window_);
    UpdateWindow(window_);
  }
  HandleWaitingMessages();
}

void Win32ProgressView::HandleWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to act on in the middle of a run: kept for whoever loops next.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (IsInput(message.message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace vintor::ui::win32
