#include "ui/win32/win32_desktop.h"

#include <commdlg.h>

#include <vector>

#include "ui/win32/win32_text.h"

namespace vintor::ui::win32 {

namespace {

HWND Window(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// "Xml Files (*.xml)|*.xml||" as the dialog wants it: pairs separated by NUL, ended by two.
std::wstring FilterText(const std::string& filter) {
  std::wstring wide = Wide(filter);
  for (wchar_t& c : wide) {
    if (c == L'|') c = L'\0';
  }
  wide.push_back(L'\0');
  return wide;
}

}  // namespace

int Win32Desktop::ShowMessage(WindowHandle owner, const std::string& text,
                              const std::string& caption, unsigned style) {
  return MessageBoxW(Window(owner), Wide(text).c_str(), Wide(caption).c_str(), style);
}

bool Win32Desktop::ChooseSaveFile(const SaveFileRequest& request, std::string* path) {
  const std::wstring filter = FilterText(request.filter);
  const std::wstring title = Wide(request.title);
  const std::wstring folder = Wide(request.initial_folder);
  const std::wstring extension = Wide(request.default_extension);
  // Room for the longest path the W functions hand back.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring name = Wide(request.initial_name);
  name.copy(file.data(), std::min(name.size(), file.size() - 1));

  for (;;) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Window(request.owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = request.options;
    dialog.lpstrDefExt = extension.c_str();
    if (!GetSaveFileNameW(&dialog)) return false;
    if (Narrow(file.data(), path)) return true;
    // A name the program cannot carry in its code page would be changed on the way: the
    // user chooses another.
    MessageBoxW(dialog.hwndOwner,
                L"このファイル名には使えない文字が含まれています。\n別の名前を指定してください。",
                Wide(kCaption).c_str(), MB_ICONEXCLAMATION | MB_OK);
  }
}

void Win32Desktop::BeginWaitCursor() {
  cursor_before_wait_ = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  waiting_ = true;
}

void Win32Desktop::RestoreWaitCursor() {
  if (waiting_) SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
}

void Win32Desktop::EndWaitCursor() {
  if (!waiting_) return;
  SetCursor(cursor_before_wait_ != nullptr ? cursor_before_wait_
                                           : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
  waiting_ = false;
}

}  // namespace vintor::ui::win32
