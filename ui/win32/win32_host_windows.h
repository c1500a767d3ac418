// The host program's windows, on real window handles. A handle that names no window makes
// every operation do nothing, as the system's own calls do.
#pragma once

#include "ui/host_windows.h"

namespace vintor::ui::win32 {

class Win32HostWindows : public HostWindows {
 public:
  void Enable(WindowHandle window, bool enabled) override;
  void BringToForeground(WindowHandle window) override;
  void SetParent(WindowHandle child, WindowHandle parent) override;
  // PostMessageW; wparam and lparam are widened with their sign, as the host reads them.
  void PostToWindow(WindowHandle window, std::uint32_t message, std::int32_t wparam,
                    std::int32_t lparam) override;
};

}  // namespace vintor::ui::win32
