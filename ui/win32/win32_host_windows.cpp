#include "ui/win32/win32_host_windows.h"

#include <windows.h>

namespace vintor::ui::win32 {

namespace {

HWND Window(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

}  // namespace

void Win32HostWindows::Enable(WindowHandle window, bool enabled) {
  EnableWindow(Window(window), enabled ? TRUE : FALSE);
}

void Win32HostWindows::BringToForeground(WindowHandle window) {
  SetForegroundWindow(Window(window));
}

void Win32HostWindows::SetParent(WindowHandle child, WindowHandle parent) {
  ::SetParent(Window(child), Window(parent));
}

void Win32HostWindows::PostToWindow(WindowHandle window, std::uint32_t message, std::int32_t wparam,
                                    std::int32_t lparam) {
  PostMessageW(Window(window), message, static_cast<WPARAM>(static_cast<INT_PTR>(wparam)),
               static_cast<LPARAM>(lparam));
}

}  // namespace vintor::ui::win32
