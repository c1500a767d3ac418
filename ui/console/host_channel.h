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
//
// Without XDG_RUNTIME_DIR the folder lies in /tmp, where any user can create it first and
// bind sockets in it to hear our process id and outcome. Before each datagram the folder
// must be a real folder (not a symbolic link) of this user without group or other
// permission, and the socket a socket of this user; otherwise nothing is ever sent again,
// and the terminal (when given) says why once. Only this user (or root) can change what is
// in such a folder, so nobody else can swap the socket between the check and the send.
#pragma once

#include <string>

#include "ui/console/terminal.h"
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

// What lstat tells of a place of the channel, as far as the checks need it.
struct HostPathFacts {
  enum class Kind { kAbsent, kFolder, kSocket, kSymbolicLink, kOther };
  Kind kind = Kind::kAbsent;
  unsigned owner = 0;       // user id
  unsigned permission = 0;  // the mode's 0777 bits
};

// The facts of path by lstat (a symbolic link is not followed); kAbsent when there is
// nothing there or it cannot be examined.
HostPathFacts ExamineHostPath(const std::string& path);

// Empty when a place of the channel may be used by user uid: of the expected kind (kFolder
// or kSocket; a symbolic link never is), owned by uid and, for the folder, without any
// group or other permission. Otherwise why not (CP932, for a "詳細: " line).
std::string HostPathProblem(const HostPathFacts& facts, HostPathFacts::Kind expected, unsigned uid);

class DatagramHostWindows : public HostWindows {
 public:
  // Sends to the sockets in HostSocketFolderOfEnvironment().
  DatagramHostWindows();
  // Sends to the sockets in folder (tests use a folder of their own).
  explicit DatagramHostWindows(std::string folder);
  // The same, saying on terminal (not owned, may be null) why a host is not told.
  explicit DatagramHostWindows(Terminal* terminal);
  DatagramHostWindows(std::string folder, Terminal* terminal);
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
  // True when folder and socket pass HostPathProblem; an absent one is no host, silently,
  // anything else is refused for good, with the reason on the terminal.
  bool Trusted(WindowHandle window, const std::string& socket_path);

  std::string folder_;
  Terminal* terminal_ = nullptr;
  bool refused_ = false;  // a check failed: nothing is sent any more
  int socket_ = -1;       // opened at the first send; -1 while closed or when it cannot be opened
};

}  // namespace vintor::ui::console
