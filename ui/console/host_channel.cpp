#include "ui/console/host_channel.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace vintor::ui::console {
namespace {

// A host that is slow to read can have a full socket queue (Linux queues only a few
// datagrams per socket by default). Waiting a little lets it catch up so the completion
// message is not lost, while a host that stopped reading cannot hold the exporter up.
constexpr int kFullQueueRetries = 100;
constexpr long kFullQueueRetryNanoseconds = 2'000'000;

}  // namespace

std::string HostSocketFolder(const char* xdg_runtime_dir, unsigned uid) {
  if (xdg_runtime_dir != nullptr && xdg_runtime_dir[0] == '/') {
    std::string folder = xdg_runtime_dir;
    if (folder.back() != '/') folder += '/';
    return folder + "vintor-host";
  }
  return "/tmp/vintor-host-" + std::to_string(uid);
}

std::string HostSocketFolderOfEnvironment() {
  return HostSocketFolder(getenv("XDG_RUNTIME_DIR"), static_cast<unsigned>(getuid()));
}

std::string HostSocketPath(const std::string& folder, WindowHandle window) {
  return folder + "/" + std::to_string(window);
}

DatagramHostWindows::DatagramHostWindows() : DatagramHostWindows(HostSocketFolderOfEnvironment()) {}

DatagramHostWindows::DatagramHostWindows(std::string folder) : folder_(std::move(folder)) {}

DatagramHostWindows::~DatagramHostWindows() {
  if (socket_ >= 0) close(socket_);
}

void DatagramHostWindows::Enable(WindowHandle window, bool enabled) {
  Send(window, enabled ? "enable" : "disable");
}

void DatagramHostWindows::BringToForeground(WindowHandle window) {
  Send(window, "foreground");
}

void DatagramHostWindows::SetParent(WindowHandle /*child*/, WindowHandle parent) {
  Send(parent, "parent " + std::to_string(getpid()));
}

void DatagramHostWindows::PostToWindow(WindowHandle window, std::uint32_t message,
                                       std::int32_t wparam, std::int32_t lparam) {
  Send(window, "post " + std::to_string(message) + " " + std::to_string(wparam) + " " +
                   std::to_string(lparam));
}

void DatagramHostWindows::Send(WindowHandle window, const std::string& text) {
  // Window 0 is the null handle: it never names a host's window.
  if (window == 0) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = HostSocketPath(folder_, window);
  if (path.size() >= sizeof address.sun_path) return;  // no socket can be bound there
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

  if (socket_ < 0) {
    socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return;
  }
  for (int attempt = 0;; ++attempt) {
    // MSG_NOSIGNAL: a vanished host must never end the exporter with SIGPIPE.
    const ssize_t sent = sendto(socket_, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent >= 0) return;
    if (errno == EINTR) continue;
    if (errno != EAGAIN || attempt >= kFullQueueRetries) return;
    const timespec pause{0, kFullQueueRetryNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

}  // namespace vintor::ui::console
