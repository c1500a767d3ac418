// The host program's windows on Linux. A host that starts the exporter names one of its
// "windows" by a number N in the hand-shake and binds a Unix datagram socket for it:
// <folder>/N, where the folder is $XDG_RUNTIME_DIR/vintor-host, or /tmp/vintor-host-<uid>
// without a usable XDG_RUNTIME_DIR. Every window operation is one ASCII datagram sent there:
//
//   disable | enable | foreground | parent <pid of the exporter> |
//   post <message, unsigned decimal> <wParam, signed decimal> <lParam, signed decimal>
//
// A window without a socket (none bound, the host gone, a path too long for a socket
// address) is a window that does not exist: the operation does nothing and reports nothing.
#pragma once

#include <string>

#include "ui/host_windows.h"

namespace vintor::ui::console {

// The folder of the hosts' sockets. xdg_runtime_dir is the value of XDG_RUNTIME_DIR, null
// when it is unset; an empty or relative value counts as unset (the exporter changes its
// current folder during the run, so a relative folder would name another place later).
std::string HostSocketFolder(const char* xdg_runtime_dir, unsigned uid);

// HostSocketFolder for this process's environment and user.
std::string HostSocketFolderOfEnvironment();

// The socket of window N in folder: folder/N, N in decimal.
std::string HostSocketPath(const std::string& folder, WindowHandle window);

class DatagramHostWindows : public HostWindows {
 public:
  // Sends to the sockets in HostSocketFolderOfEnvironment().
  DatagramHostWindows();
  // Sends to the sockets in folder (tests use a folder of their own).
  explicit DatagramHostWindows(std::string folder);
  ~DatagramHostWindows() override;
  DatagramHostWindows(const DatagramHostWindows&) = delete;
  DatagramHostWindows& operator=(const DatagramHostWindows&) = delete;

  void Enable(WindowHandle window, bool enabled) override;
  void BringToForeground(WindowHandle window) override;
  // The child is always a window of this process, and a host cannot reach another
  // process's windows by number: the datagram names this process by its pid instead.
  void SetParent(WindowHandle child, WindowHandle parent) override;
  void PostToWindow(WindowHandle window, std::uint32_t message, std::int32_t wparam,
                    std::int32_t lparam) override;

 private:
  void Send(WindowHandle window, const std::string& text);

  std::string folder_;
  int socket_ = -1;  // opened at the first send; -1 while closed or when it cannot be opened
};

}  // namespace vintor::ui::console
