// vintor_test_host: a small host program that starts the exporter (or any program) the way a
// host does and records what the program tells the host's window.
//
//   vintor_test_host [--window N] [--message M] [--function F] [--path P]
//                    [--raw-handshake TEXT] [--record FILE] -- PROGRAM [ARGS...]
//
// It binds the datagram socket of window N (default: its own pid) in the hosts' socket
// folder, starts PROGRAM with ARGS and the hand-shake "N,M,F,P" (or TEXT as given) as the
// last argument, and receives every datagram while the program runs. When the program has
// ended it writes the datagrams, one per line, then "exit <status>", to FILE (or standard
// output), removes its socket and exits with the program's status: the exit code, or 128 +
// the signal that ended it. Its own failures exit 125; a program that cannot be started
// exits 127, as in a shell.
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ui/console/host_channel.h"

namespace {

constexpr int kHostFailed = 125;
constexpr int kCannotStart = 127;
// Datagrams a program sent just before it ended are already queued, but one it left
// behind (a grandchild) may still be on its way.
constexpr int kGraceMs = 100;

struct Options {
  std::string window;
  std::string message = "1024";
  std::string function = "1";
  std::string path;
  bool raw = false;
  std::string raw_handshake;
  std::string record;
  std::vector<char*> program;  // PROGRAM and ARGS
  std::string info;            // "--help" or "--version" when asked
};

constexpr int kUsageError = 2;
constexpr const char* kUsage =
    "usage: vintor_test_host [--window N] [--message M] [--function F] [--path P]\n"
    "                        [--raw-handshake TEXT] [--record FILE] -- PROGRAM [ARGS...]\n"
    "       vintor_test_host --help | --version\n";

// A command line that cannot be read: status 2, as for every program of the project.
int Usage(const char* why) {
  fprintf(stderr, "vintor_test_host: %s\n%s", why, kUsage);
  return kUsageError;
}

int Fail(const std::string& what) {
  fprintf(stderr, "vintor_test_host: %s: %s\n", what.c_str(), strerror(errno));
  return kHostFailed;
}

bool ParseOptions(int argc, char** argv, Options* options, const char** why) {
  int k = 1;
  for (; k < argc; ++k) {
    const std::string name = argv[k];
    if (name == "--") break;
    if (name == "--help" || name == "--version") {
      options->info = name;
      return true;
    }
    if (k + 1 >= argc) {
      *why = "an option lacks its value";
      return false;
    }
    const std::string value = argv[++k];
    if (name == "--window") {
      options->window = value;
    } else if (name == "--message") {
      options->message = value;
    } else if (name == "--function") {
      options->function = value;
    } else if (name == "--path") {
      options->path = value;
    } else if (name == "--raw-handshake") {
      options->raw = true;
      options->raw_handshake = value;
    } else if (name == "--record") {
      options->record = value;
    } else {
      *why = "unknown option";
      return false;
    }
  }
  if (k + 1 >= argc) {
    *why = "no program after --";
    return false;
  }
  for (++k; k < argc; ++k) options->program.push_back(argv[k]);
  return true;
}

// The socket's name is the window number in decimal: anything else no exporter would find.
bool IsWindowNumber(const std::string& text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::stoull(text) <= 0xFFFFFFFFull;
}

// The folder holds sockets anyone could send to, and in /tmp another user may have made it
// first to listen in: it must be a real folder of ours that nobody else can enter. One
// that is not is refused, saying why, rather than used. Empty when the folder is ready.
std::string PrepareFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return "cannot create the socket folder " + folder + ": " + strerror(errno);
  using Kind = vintor::ui::console::HostPathFacts::Kind;
  const auto facts = vintor::ui::console::ExamineHostPath(folder);
  const unsigned uid = static_cast<unsigned>(getuid());
  std::string problem;
  if (facts.kind == Kind::kSymbolicLink) {
    problem = "is a symbolic link";
  } else if (facts.kind != Kind::kFolder) {
    problem = "is not a folder";
  } else if (facts.owner != uid) {
    problem = "belongs to user " + std::to_string(facts.owner) + ", not to " + std::to_string(uid);
  } else if ((facts.permission & 077) != 0) {
    char mode[16];
    snprintf(mode, sizeof mode, "%04o", facts.permission);
    problem = std::string("has mode ") + mode + ", not 0700";
  }
  if (problem.empty()) return {};
  return "the socket folder " + folder + " " + problem +
         "; remove it (or make it 0700), or set XDG_RUNTIME_DIR to a folder of your own";
}

// Binds the window's socket. A socket file left by a host that died is replaced; one that a
// living host still reads is not taken over.
int BindWindow(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int socket_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket_fd < 0) return -1;
  const auto* name = reinterpret_cast<const sockaddr*>(&address);
  if (bind(socket_fd, name, sizeof address) == 0) return socket_fd;
  if (errno == EADDRINUSE) {
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool alive = probe >= 0 && connect(probe, name, sizeof address) == 0;
    if (probe >= 0) close(probe);
    if (!alive && unlink(path.c_str()) == 0 && bind(socket_fd, name, sizeof address) == 0) {
      return socket_fd;
    }
    errno = EADDRINUSE;
  }
  close(socket_fd);
  return -1;
}

// One datagram as one line: bytes that would break the line are shown as \xNN.
std::string AsLine(const char* data, std::size_t size) {
  std::string line;
  for (std::size_t k = 0; k < size; ++k) {
    const unsigned char c = static_cast<unsigned char>(data[k]);
    if (c < 0x20 || c >= 0x7F || c == '\\') {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", c);
      line += escaped;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

void ReceiveAll(int socket_fd, std::vector<std::string>* lines) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = recv(socket_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return;
    lines->push_back(AsLine(buffer, static_cast<std::size_t>(n)));
  }
}

// Waits up to timeout_ms for a datagram; true when one is there.
bool WaitForDatagram(int socket_fd, int timeout_ms) {
  pollfd descriptor{socket_fd, POLLIN, 0};
  return poll(&descriptor, 1, timeout_ms) > 0 && (descriptor.revents & POLLIN) != 0;
}

pid_t Start(const Options& options, const std::string& handshake) {
  std::vector<char*> arguments = options.program;
  arguments.push_back(const_cast<char*>(handshake.c_str()));
  arguments.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(arguments[0], arguments.data());
    fprintf(stderr, "vintor_test_host: cannot start %s: %s\n", arguments[0], strerror(errno));
    _exit(kCannotStart);
  }
  return pid;
}

int StatusOf(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return kHostFailed;
}

bool WriteRecord(const std::string& file, const std::vector<std::string>& lines, int status) {
  FILE* out = file.empty() ? stdout : fopen(file.c_str(), "w");
  if (out == nullptr) return false;
  for (const std::string& line : lines) fprintf(out, "%s\n", line.c_str());
  fprintf(out, "exit %d\n", status);
  bool written = fflush(out) == 0 && ferror(out) == 0;
  if (out != stdout && fclose(out) != 0) written = false;
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const char* why = nullptr;
  if (!ParseOptions(argc, argv, &options, &why)) return Usage(why);
  if (options.info == "--help") {
    fputs(kUsage, stdout);
    return 0;
  }
  if (options.info == "--version") {
    puts("vintor_test_host 21.00.03");
    return 0;
  }
  if (options.window.empty()) options.window = std::to_string(getpid());
  if (!IsWindowNumber(options.window)) return Usage("the window is not a decimal number");

  const std::string folder = vintor::ui::console::HostSocketFolderOfEnvironment();
  if (const std::string refusal = PrepareFolder(folder); !refusal.empty()) {
    fprintf(stderr, "vintor_test_host: %s\n", refusal.c_str());
    return kHostFailed;
  }
  const std::string path = folder + "/" + options.window;
  const int socket_fd = BindWindow(path);
  if (socket_fd < 0) return Fail("socket " + path);

  const std::string handshake = options.raw ? options.raw_handshake
                                            : options.window + "," + options.message + "," +
                                                  options.function + "," + options.path;
  std::vector<std::string> lines;
  const pid_t child = Start(options, handshake);
  if (child < 0) {
    const int result = Fail("fork");
    close(socket_fd);
    unlink(path.c_str());
    return result;
  }

  // Linux queues only a few datagrams per socket, and a sender facing a full queue may give
  // up: read them as they come while the program runs.
  int wait_status = 0;
  for (;;) {
    const pid_t ended = waitpid(child, &wait_status, WNOHANG);
    if (ended == child) break;
    if (ended < 0 && errno != EINTR) {
      wait_status = -1;
      break;
    }
    WaitForDatagram(socket_fd, 20);
    ReceiveAll(socket_fd, &lines);
  }
  do {
    ReceiveAll(socket_fd, &lines);
  } while (WaitForDatagram(socket_fd, kGraceMs));

  close(socket_fd);
  unlink(path.c_str());
  const int status = wait_status == -1 ? kHostFailed : StatusOf(wait_status);
  if (!WriteRecord(options.record, lines, status)) return Fail("record " + options.record);
  return status;
}
