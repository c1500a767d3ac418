#include "ui/console/host_channel.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "text/control_escapes.h"

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

HostPathFacts ExamineHostPath(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return {};
  HostPathFacts facts;
  if (S_ISDIR(status.st_mode)) {
    facts.kind = HostPathFacts::Kind::kFolder;
  } else if (S_ISSOCK(status.st_mode)) {
    facts.kind = HostPathFacts::Kind::kSocket;
  } else if (S_ISLNK(status.st_mode)) {
    facts.kind = HostPathFacts::Kind::kSymbolicLink;
  } else {
    facts.kind = HostPathFacts::Kind::kOther;
  }
  facts.owner = static_cast<unsigned>(status.st_uid);
  facts.permission = static_cast<unsigned>(status.st_mode & 0777);
  return facts;
}

std::string HostPathProblem(const HostPathFacts& facts, HostPathFacts::Kind expected,
                            unsigned uid) {
  using Kind = HostPathFacts::Kind;
  const bool folder = expected == Kind::kFolder;
  if (facts.kind == Kind::kAbsent) return "ありません。";
  // A link could lead anywhere, to another user's socket as well: never followed.
  if (facts.kind == Kind::kSymbolicLink) return "シンボリックリンクです。";
  if (facts.kind != expected)
    return folder ? "フォルダではありません。" : "ソケットではありません。";
  if (facts.owner != uid)
    return "ほかの利用者 (uid " + std::to_string(facts.owner) + ") のものです。";
  if (folder && (facts.permission & 077) != 0) {
    char mode[16];
    std::snprintf(mode, sizeof mode, "%04o", facts.permission);
    return std::string("ほかの利用者も使えるアクセス権 (") + mode + ") です。0700 にしてください。";
  }
  return {};
}

DatagramHostWindows::DatagramHostWindows() : DatagramHostWindows(HostSocketFolderOfEnvironment()) {}

DatagramHostWindows::DatagramHostWindows(std::string folder) : folder_(std::move(folder)) {}

DatagramHostWindows::DatagramHostWindows(Terminal* terminal)
    : DatagramHostWindows(HostSocketFolderOfEnvironment(), terminal) {}

DatagramHostWindows::DatagramHostWindows(std::string folder, Terminal* terminal)
    : folder_(std::move(folder)), terminal_(terminal) {}

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
  if (window == 0 || refused_) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = HostSocketPath(folder_, window);
  if (path.size() >= sizeof address.sun_path) return;  // no socket can be bound there
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (!Trusted(window, path)) return;

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

bool DatagramHostWindows::Trusted(WindowHandle window, const std::string& socket_path) {
  const unsigned uid = static_cast<unsigned>(getuid());
  struct Place {
    const std::string& path;
    HostPathFacts::Kind kind;
  };
  for (const Place& place : {Place{folder_, HostPathFacts::Kind::kFolder},
                             Place{socket_path, HostPathFacts::Kind::kSocket}}) {
    const HostPathFacts facts = ExamineHostPath(place.path);
    if (facts.kind == HostPathFacts::Kind::kAbsent) return false;  // no host there
    const std::string problem = HostPathProblem(facts, place.kind, uid);
    if (problem.empty()) continue;
    refused_ = true;
    if (terminal_ != nullptr) {
      std::string shown;
      if (!FromTerminal(place.path, terminal_->charset(), &shown, nullptr)) shown = place.path;
      terminal_->Write("警告: 呼び出し元 (ウィンドウ " + std::to_string(window) +
                       ") との連絡に使う場所が安全でないため、呼び出し元には知らせずに続けます。\n"
                       "詳細: " +
                       text::EscapeControls(shown) + " は" + problem + "\n");
    }
    return false;
  }
  return true;
}

}  // namespace vintor::ui::console
