#include "ui/win32/win32_conditions_view.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/win32/win32_text.h"

namespace vintor::ui::win32 {

namespace {

// What the dialog procedure needs: the presenter and the view over the window.
struct DialogSession {
  conditions::ConditionsDialog& presenter;
  std::unique_ptr<Win32ConditionsView> view;
};

DialogSession* SessionOf(HWND window) {
  return reinterpret_cast<DialogSession*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK ConditionsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* session = reinterpret_cast<DialogSession*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    session->view = std::make_unique<Win32ConditionsView>(window);
    session->presenter.OnInitDialog(*session->view);
    return TRUE;  // the dialog manager puts the focus on the first tab stop: the start month
  }
  DialogSession* session = SessionOf(window);
  if (session == nullptr || session->view == nullptr || session->view->ended()) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wparam)) {
        case control::kExecute:
          session->presenter.Execute();
          return TRUE;
        case control::kBrowse:
          session->presenter.Browse();
          return TRUE;
        case control::kCancel:
        case IDCANCEL:  // Esc
          session->presenter.Cancel();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:  // the close box
      session->presenter.Cancel();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void CenterOnOwnerOrScreen(HWND window) {
  RECT own;
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;

  // A window made a child of a host's window is placed in the middle of its client area
  // (its coordinates count from there), at its top-left corner when it is larger.
  const HWND parent = GetAncestor(window, GA_PARENT);
  if (parent != nullptr && parent != GetDesktopWindow()) {
    RECT client;
    GetClientRect(parent, &client);
    SetWindowPos(window, nullptr, std::max(0L, (client.right - width) / 2),
                 std::max(0L, (client.bottom - height) / 2), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }

  RECT screen;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  RECT area = screen;
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner)) GetWindowRect(owner, &area);
  long x = area.left + (area.right - area.left - width) / 2;
  long y = area.top + (area.bottom - area.top - height) / 2;
  // Never partly off the screen, whatever the owner's place.
  x = std::max(screen.left, std::min(x, screen.right - width));
  y = std::max(screen.top, std::min(y, screen.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

Key KeyOf(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_RETURN:
      return Key::kEnter;
    case VK_F12:
      return Key::kF12;
    case VK_ESCAPE:
      return Key::kEscape;
    default:
      return Key::kOther;
  }
}

bool ModifierHeld() {
  return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

// Gives the presenter the first look at a key-down in the dialog; true when it took it.
bool PresenterTookKey(conditions::ConditionsDialog& presenter, HWND dialog, const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != dialog && !IsChild(dialog, message.hwnd)) return false;
  const int focused = message.hwnd == dialog ? 0 : GetDlgCtrlID(message.hwnd);
  return presenter.OnKeyDown(focused, KeyOf(message.wParam), ModifierHeld());
}

}  // namespace

int RunConditionsDialog(conditions::ConditionsDialog& presenter, HINSTANCE instance) {
  DialogSession session{presenter, nullptr};
  const HWND owner = reinterpret_cast<HWND>(presenter.parent());
  const HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(VINTOR_IDD_CONDITIONS), owner,
                                         ConditionsProc, reinterpret_cast<LPARAM>(&session));
  if (dialog == nullptr) return kDialogCancelled;
  // The presenter may have refused the data during initialisation.
  if (!session.view->ended()) {
    CenterOnOwnerOrScreen(dialog);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
  }
  MSG message;
  while (!session.view->ended()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // The program is asked to end: the dialog ends as cancelled and the quit stays queued.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (PresenterTookKey(presenter, dialog, message)) continue;
    if (IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  const int result = session.view->ended() ? session.view->result() : kDialogCancelled;
  DestroyWindow(dialog);
  return result;
}

std::string Win32ConditionsView::GetText(int control) {
  const HWND item = GetDlgItem(dialog_, control);
  const int length = GetWindowTextLengthW(item);
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(item, text.data(), length + 1);
  return NarrowOrEmpty(text.data());
}

void Win32ConditionsView::SetText(int control, const std::string& text) {
  SetDlgItemTextW(dialog_, control, Wide(text).c_str());
}

bool Win32ConditionsView::IsChecked(int control) {
  return IsDlgButtonChecked(dialog_, control) == BST_CHECKED;
}

void Win32ConditionsView::SetChecked(int control, bool checked) {
  CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32ConditionsView::IsEnabled(int control) {
  return IsWindowEnabled(GetDlgItem(dialog_, control)) != FALSE;
}

void Win32ConditionsView::Enable(int control, bool enabled) {
  EnableWindow(GetDlgItem(dialog_, control), enabled ? TRUE : FALSE);
}

void Win32ConditionsView::LimitText(int control, int characters) {
  SendDlgItemMessageW(dialog_, control, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void Win32ConditionsView::Focus(int control, bool select_all) {
  const HWND item = GetDlgItem(dialog_, control);
  // Through the dialog manager, so the default-button look follows the focus.
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  if (select_all) {
    SendMessageW(item, EM_SETSEL, 0, -1);
    SendMessageW(item, EM_SCROLLCARET, 0, 0);
  }
}

void Win32ConditionsView::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  ShowWindow(dialog_, SW_HIDE);
}

}  // namespace vintor::ui::win32
