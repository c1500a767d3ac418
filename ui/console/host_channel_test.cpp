#include "ui/console/host_channel.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace vintor::ui::console {
namespace {

TEST(HostSocketFolderTest, UsesTheRuntimeFolderOnlyWhenItIsAbsolute) {
  struct Case {
    const char* xdg_runtime_dir;
    const char* folder;
  };
  const Case cases[] = {
      {"/run/user/1000", "/run/user/1000/vintor-host"},
      {"/run/user/1000/", "/run/user/1000/vintor-host"},
      {nullptr, "/tmp/vintor-host-1000"},
      {"", "/tmp/vintor-host-1000"},
      {"run/user/1000", "/tmp/vintor-host-1000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HostSocketFolder(c.xdg_runtime_dir, 1000), c.folder)
        << (c.xdg_runtime_dir ? c.xdg_runtime_dir : "(unset)");
  }
  EXPECT_EQ(HostSocketFolder(nullptr, 0), "/tmp/vintor-host-0");
  EXPECT_EQ(HostSocketPath("/run/user/1000/vintor-host", 4294967295u),
            "/run/user/1000/vintor-host/4294967295");
}

// A host's window: a socket bound in a folder of the test's own.
class HostChannelTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vintor_host_channel_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    if (window_ >= 0) close(window_);
    nftw(
        folder_.c_str(),
        [](const char* path, const struct stat*, int, FTW*) { return remove(path); }, 8,
        FTW_DEPTH | FTW_PHYS);
  }

  // Binds the socket of window number; -1 on failure.
  int Bind(WindowHandle number) { return BindIn(folder_, number); }
  static int BindIn(const std::string& folder, WindowHandle number) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, HostSocketPath(folder, number).c_str());
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }

  // The next datagram, or "(none)" when none came.
  static std::string Receive(int fd) {
    char buffer[512];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    return n < 0 ? "(none)" : std::string(buffer, static_cast<std::size_t>(n));
  }

  std::string folder_;
  int window_ = -1;
};

TEST_F(HostChannelTest, SendsEveryOperationAsOneDatagram) {
  window_ = Bind(42);
  ASSERT_GE(window_, 0);
  DatagramHostWindows host(folder_);
  const std::string parent = "parent " + std::to_string(getpid());
  struct Case {
    std::function<void()> operation;
    std::string datagram;
  };
  const Case cases[] = {
      {[&] { host.Enable(42, false); }, "disable"},
      {[&] { host.Enable(42, true); }, "enable"},
      {[&] { host.BringToForeground(42); }, "foreground"},
      // The child handle is the exporter's own window; the host learns the process.
      {[&] { host.SetParent(12345, 42); }, parent},
      {[&] { host.PostToWindow(42, 2000, 7, 0); }, "post 2000 7 0"},
      {[&] { host.PostToWindow(42, 2000, -25536, 1); }, "post 2000 -25536 1"},
      {[&] { host.PostToWindow(42, 0xFFFFFFFFu, 3, 2); }, "post 4294967295 3 2"},
  };
  for (const Case& c : cases) {
    c.operation();
    EXPECT_EQ(Receive(window_), c.datagram);
    EXPECT_EQ(Receive(window_), "(none)") << "one datagram per operation";
  }
}

TEST_F(HostChannelTest, AWindowWithoutASocketIsAWindowThatDoesNotExist) {
  window_ = Bind(42);
  ASSERT_GE(window_, 0);
  // A socket file whose host has gone: sending is refused.
  const int dead = Bind(43);
  ASSERT_GE(dead, 0);
  close(dead);

  struct Case {
    std::string folder;
    WindowHandle window;
  };
  const Case cases[] = {
      {folder_, 44},                          // nothing bound
      {folder_, 43},                          // the host has gone
      {folder_ + "/missing", 42},             // no folder
      {folder_ + std::string(120, 'x'), 42},  // longer than a socket address holds
      {folder_, 0},                           // the null handle names no window
  };
  ASSERT_GE(Bind(0), 0);  // even when a socket "0" exists
  for (const Case& c : cases) {
    DatagramHostWindows host(c.folder);
    host.Enable(c.window, false);
    host.BringToForeground(c.window);
    host.SetParent(1, c.window);
    host.PostToWindow(c.window, 2000, 7, 2);
    host.Enable(c.window, true);
  }
  EXPECT_EQ(Receive(window_), "(none)");
}

TEST(HostPathProblemTest, OnlyAFolderOrSocketOfThisUserIsUsed) {
  using Kind = HostPathFacts::Kind;
  struct Case {
    HostPathFacts facts;
    Kind expected;
    const char* problem;
  } const cases[] = {
      {{Kind::kFolder, 1000, 0700}, Kind::kFolder, ""},
      {{Kind::kFolder, 1001, 0700}, Kind::kFolder, "ほかの利用者 (uid 1001) のものです。"},
      {{Kind::kFolder, 1000, 0710},
       Kind::kFolder,
       "ほかの利用者も使えるアクセス権 (0710) です。0700 にしてください。"},
      {{Kind::kSymbolicLink, 1000, 0777}, Kind::kFolder, "シンボリックリンクです。"},
      {{Kind::kSocket, 1000, 0755}, Kind::kSocket, ""},  // the folder guards the socket
      {{Kind::kSocket, 1001, 0777}, Kind::kSocket, "ほかの利用者 (uid 1001) のものです。"},
      {{Kind::kOther, 1000, 0600}, Kind::kSocket, "ソケットではありません。"},
      {{Kind::kAbsent, 0, 0}, Kind::kSocket, "ありません。"},
  };
  for (const Case& c : cases) EXPECT_EQ(HostPathProblem(c.facts, c.expected, 1000), c.problem);
}

// The folder states a run can meet, made for real: only a folder of ours that nobody else
// can enter carries datagrams; any other is refused with a line saying why, and nothing is
// sent any more. (Another owner cannot be made without switching users: the table above.)
TEST_F(HostChannelTest, SendsOnlyThroughAFolderOfThisUserAlone) {
  const std::string real = folder_ + "/real";
  const std::string socket_path = HostSocketPath(real, 42);
  struct Case {
    const char* what;
    std::function<void(const std::string& place)> make;  // makes place, the socket folder
    bool received;
    const char* detail;  // the end of the "詳細: " line, or "" for no line
  } const cases[] = {
      {"absent", [](const std::string&) {}, false, ""},
      {"ours 0700", [&](const std::string& p) { ASSERT_EQ(rename(real.c_str(), p.c_str()), 0); },
       true, ""},
      {"ours 0755",
       [&](const std::string& p) {
         ASSERT_EQ(rename(real.c_str(), p.c_str()), 0);
         ASSERT_EQ(chmod(p.c_str(), 0755), 0);
       },
       false, "はほかの利用者も使えるアクセス権 (0755) です。0700 にしてください。\n"},
      {"a symbolic link to ours",
       [&](const std::string& p) { ASSERT_EQ(symlink(real.c_str(), p.c_str()), 0); }, false,
       "はシンボリックリンクです。\n"},
      {"a regular file", [](const std::string& p) { fclose(fopen(p.c_str(), "w")); }, false,
       "はフォルダではありません。\n"},
      {"ours, the socket a symbolic link to a host's socket",
       [&](const std::string& p) {
         ASSERT_EQ(mkdir(p.c_str(), 0700), 0);
         ASSERT_EQ(symlink(socket_path.c_str(), HostSocketPath(p, 42).c_str()), 0);
       },
       false, "/42 はシンボリックリンクです。\n"},
      {"ours, a regular file for the socket",
       [&](const std::string& p) {
         ASSERT_EQ(mkdir(p.c_str(), 0700), 0);
         fclose(fopen(HostSocketPath(p, 42).c_str(), "w"));
       },
       false, "/42 はソケットではありません。\n"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(mkdir(real.c_str(), 0700), 0);
    const int window = BindIn(real, 42);
    ASSERT_GE(window, 0);
    const std::string place = folder_ + "/place" + std::to_string(++number);
    c.make(place);
    std::istringstream in;
    std::ostringstream out;
    Terminal terminal(in, out, TerminalCharset::kRaw);
    {
      DatagramHostWindows host(place, &terminal);
      host.Enable(42, false);
      host.PostToWindow(42, 2000, 7, 0);
    }
    if (c.received) {
      EXPECT_EQ(Receive(window), "disable");
      EXPECT_EQ(Receive(window), "post 2000 7 0");
    }
    EXPECT_EQ(Receive(window), "(none)");
    const std::string said = out.str();
    if (*c.detail == '\0') {
      EXPECT_EQ(said, "");
    } else {
      EXPECT_EQ(said.rfind("警告: 呼び出し元 (ウィンドウ 42) ", 0), 0u) << said;
      EXPECT_NE(said.find("\n詳細: " + place), std::string::npos) << said;
      EXPECT_TRUE(said.ends_with(c.detail)) << said;
      EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << "said once";
    }
    close(window);
    nftw(
        real.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
        8, FTW_DEPTH | FTW_PHYS);
  }
}

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

TEST_F(HostChannelTest, WaitsBrieflyForAFullQueueButNeverForAHostThatStoppedReading) {
  window_ = Bind(42);
  ASSERT_GE(window_, 0);
  DatagramHostWindows host(folder_);
  // Fill the window's queue with a sender of the test's own.
  const int filler = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, HostSocketPath(folder_, 42).c_str());
  int queued = 0;
  while (sendto(filler, "x", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) == 1) {
    ++queued;
  }
  close(filler);
  ASSERT_GT(queued, 0);

  // Nobody reads: the post is given up within a fraction of a second.
  const long long start = NowMs();
  host.PostToWindow(42, 2000, 7, 0);
  EXPECT_LT(NowMs() - start, 2000);

  // A host that catches up a little later still gets the completion message.
  std::thread reader([&] {
    const timespec pause{0, 30'000'000};
    nanosleep(&pause, nullptr);
    for (int k = 0; k < queued; ++k) Receive(window_);
  });
  host.PostToWindow(42, 2000, 7, 1);
  reader.join();
  pollfd descriptor{window_, POLLIN, 0};
  ASSERT_EQ(poll(&descriptor, 1, 1000), 1);
  EXPECT_EQ(Receive(window_), "post 2000 7 1");
}

}  // namespace
}  // namespace vintor::ui::console
