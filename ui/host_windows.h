// The windows of a host program that started the exporter with a hand-shake. Windows
// acts on real window handles; Linux sends each operation as one datagram to the host's
// socket (ui/console/host_channel.h). A window that does not exist makes every operation
// do nothing: the results are never examined.
#pragma once

#include <cstdint>

#include "ui/ui.h"

namespace vintor::ui {

class HostWindows {
 public:
  virtual ~HostWindows() = default;
  virtual void Enable(WindowHandle window, bool enabled) = 0;
  virtual void BringToForeground(WindowHandle window) = 0;
  // Makes child (a window of the exporter) a child of the host window parent.
  virtual void SetParent(WindowHandle child, WindowHandle parent) = 0;
  // Posts (does not send) a message; the exporter does not wait for it to be handled.
  virtual void PostToWindow(WindowHandle window, std::uint32_t message, std::int32_t wparam,
                            std::int32_t lparam) = 0;
};

}  // namespace vintor::ui
