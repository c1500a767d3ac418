// The test host, run for real: it starts a program with the hand-shake, records the
// datagrams the program sends to its window and passes the program's exit status on. The
// program is either a shell or this test binary itself acting as the exporter.
#include <errno.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ui/console/host_channel.h"

namespace vintor::ui::console {
namespace {

constexpr const char* kRoleVariable = "VINTOR_TEST_HOST_ROLE";
constexpr int kManyPosts = 60;

std::vector<std::string> OwnArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> arguments;
  std::string argument;
  while (std::getline(file, argument, '\0')) arguments.push_back(argument);
  return arguments;
}

// This binary started by the host: it reads the hand-shake from its last argument and
// talks to the host's window as the exporter does at the start and the end of a run.
[[noreturn]] void ActAsExporter(const std::string& role) {
  const std::string handshake = OwnArguments().back();
  char* rest = nullptr;
  const WindowHandle window = std::strtoull(handshake.c_str(), &rest, 10);
  const auto message = static_cast<std::uint32_t>(std::strtoul(rest + 1, &rest, 10));
  const auto function = static_cast<std::int16_t>(std::strtol(rest + 1, &rest, 10));
  DatagramHostWindows host;
  if (role == "many") {
    for (int k = 0; k < kManyPosts; ++k) host.PostToWindow(window, message, k, 0);
  } else {
    host.Enable(window, false);
    host.SetParent(1, window);
    host.BringToForeground(window);
    host.Enable(window, true);
    host.PostToWindow(window, message, function, 2);
    host.Enable(window, true);
  }
  _exit(3);
}

[[maybe_unused]] const bool kActingAsExporter = [] {
  const char* role = getenv(kRoleVariable);
  if (role != nullptr) ActAsExporter(role);
  return false;
}();

// "parent <pid>"
bool IsParentLine(const std::string& line) {
  const std::string prefix = "parent ";
  if (line.size() <= prefix.size() || line.compare(0, prefix.size(), prefix) != 0) return false;
  return line.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

// This test binary's path, for the host to start it.
std::string OwnPath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

struct HostRun {
  pid_t host_pid = -1;
  int status = -1;  // the host's exit code; -1 when it did not exit normally
  std::vector<std::string> record;
};

class TestHostTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vintor_test_host_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    runtime_ = pattern;
    record_ = runtime_ + "/record.txt";
  }
  void TearDown() override {
    nftw(
        runtime_.c_str(),
        [](const char* path, const struct stat*, int, FTW*) { return remove(path); }, 8,
        FTW_DEPTH | FTW_PHYS);
  }

  std::string SocketFolder() const { return runtime_ + "/vintor-host"; }

  // Runs the host with XDG_RUNTIME_DIR pointing at the test's own folder.
  HostRun Run(std::vector<std::string> arguments, const char* role = nullptr) {
    arguments.insert(arguments.begin(), {VINTOR_TEST_HOST_PATH, "--record", record_});
    unlink(record_.c_str());
    HostRun run;
    run.host_pid = fork();
    if (run.host_pid == 0) {
      setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
      if (role != nullptr) setenv(kRoleVariable, role, 1);
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(99);
    }
    int status = 0;
    waitpid(run.host_pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream file(record_);
    for (std::string line; std::getline(file, line);) run.record.push_back(line);
    return run;
  }

  std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string runtime_;
  std::string record_;
};

TEST_F(TestHostTest, RecordsWhatTheExporterToldTheWindowAndPassesItsExitStatusOn) {
  const HostRun run =
      Run({"--window", "4242", "--message", "1025", "--function", "40000", "--", OwnPath()},
          "exporter");
  EXPECT_EQ(run.status, 3);
  ASSERT_EQ(run.record.size(), 7u);
  EXPECT_EQ(run.record[0], "disable");
  EXPECT_TRUE(IsParentLine(run.record[1])) << run.record[1];
  EXPECT_EQ(run.record[2], "foreground");
  EXPECT_EQ(run.record[3], "enable");
  // The function number travels as its low 16 bits, sign-extended: 40000 is -25536.
  EXPECT_EQ(run.record[4], "post 1025 -25536 2");
  EXPECT_EQ(run.record[5], "enable");
  EXPECT_EQ(run.record[6], "exit 3");
  EXPECT_FALSE(access((SocketFolder() + "/4242").c_str(), F_OK) == 0) << "socket left behind";
}

TEST_F(TestHostTest, ReceivesMoreDatagramsThanTheSocketQueues) {
  const HostRun run = Run({"--window", "31", "--", OwnPath()}, "many");
  EXPECT_EQ(run.status, 3);
  ASSERT_EQ(run.record.size(), kManyPosts + 1u);
  for (int k = 0; k < kManyPosts; ++k) {
    EXPECT_EQ(run.record[k], "post 1024 " + std::to_string(k) + " 0");
  }
}

TEST_F(TestHostTest, PassesTheHandshakeAsTheLastArgument) {
  struct Case {
    std::vector<std::string> options;
    std::string handshake;
  };
  const Case cases[] = {
      {{"--window", "77", "--message", "2000", "--function", "7"}, "77,2000,7,"},
      {{"--window", "77", "--path", "/out/a,b.xml"}, "77,1024,1,/out/a,b.xml"},
      {{"--window", "77", "--raw-handshake", "100,2000"}, "100,2000"},
      {{"--window", "77", "--raw-handshake", ""}, ""},
  };
  const std::string seen = runtime_ + "/handshake.txt";
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.options;
    // sh -c SCRIPT FILE HANDSHAKE: the script sees the file as $0 and the hand-shake as $1.
    arguments.insert(arguments.end(),
                     {"--", "/bin/sh", "-c", "printf %s \"$1\" > \"$0\"; exit 0", seen});
    const HostRun run = Run(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(seen), c.handshake);
  }
}

TEST_F(TestHostTest, NamesItsOwnPidAsTheWindowByDefaultAndBindsItBeforeStarting) {
  // The script fails unless the socket of the hand-shake's window exists while it runs.
  const std::string seen = runtime_ + "/handshake.txt";
  const HostRun run = Run({"--", "/bin/sh", "-c",
                           "printf %s \"$1\" > \"$0\"; test -S \"$XDG_RUNTIME_DIR/vintor-host/"
                           "${1%%,*}\"",
                           seen});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadFile(seen), std::to_string(run.host_pid) + ",1024,1,");
  EXPECT_EQ(run.record, std::vector<std::string>{"exit 0"});
  struct stat folder {};
  ASSERT_EQ(stat(SocketFolder().c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(TestHostTest, ReportsHowTheProgramEnded) {
  struct Case {
    std::vector<std::string> program;
    int status;
  };
  const Case cases[] = {
      {{"/bin/sh", "-c", "exit 3"}, 3},
      {{"/bin/sh", "-c", "kill -9 $$"}, 128 + 9},
      {{"/nonexistent/program"}, 127},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"--window", "5", "--"};
    arguments.insert(arguments.end(), c.program.begin(), c.program.end());
    const HostRun run = Run(arguments);
    EXPECT_EQ(run.status, c.status) << c.program[0];
    EXPECT_EQ(run.record, std::vector<std::string>{"exit " + std::to_string(c.status)});
  }
}

TEST_F(TestHostTest, ReplacesTheSocketOfAHostThatDied) {
  ASSERT_EQ(mkdir(SocketFolder().c_str(), 0700), 0);
  const std::string path = SocketFolder() + "/55";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  const int dead = socket(AF_UNIX, SOCK_DGRAM, 0);
  ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(dead);  // the file stays, nobody reads it

  const HostRun run = Run({"--window", "55", "--", "/bin/sh", "-c", "exit 0"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.record, std::vector<std::string>{"exit 0"});
}

TEST_F(TestHostTest, RefusesAWindowThatIsNotADecimalNumberOrAMissingProgram) {
  const std::vector<std::string> refused[] = {
      {"--window", "0x10", "--", "/bin/true"}, {"--window", "4294967296", "--", "/bin/true"},
      {"--window", "7", "/bin/true"},          {"--window", "7", "--"},
      {"--colour", "red", "--", "/bin/true"},
  };
  for (const auto& arguments : refused) {
    EXPECT_EQ(Run(arguments).status, 2) << arguments[1];  // a command line it cannot read
  }
}

}  // namespace
}  // namespace vintor::ui::console
