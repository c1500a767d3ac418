// The conditions dialog on a real pseudo-terminal: a child process runs it as the exporter
// would, with the terminal as its standard input and error, and the test types into the
// terminal what a user types and reads what the user would see.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

#include "conditions/conditions_dialog.h"
#include "conditions/destination_check.h"
#include "conditions/fake_period_library.h"
#include "conditions/settings_store.h"
#include "os/fake_os.h"
#include "ui/console/console_dialog.h"

namespace vintor::ui::console {
namespace {

std::string Utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

// How the child is set up: standard error sent to a log (questions and prompts then go to
// the controlling terminal, as the program does), and an existing destination file.
struct ChildSetup {
  bool stderr_to_log = false;
  bool destination_exists = false;
};

// The child: an April-to-March company, the output folder /out on an in-memory disk, and
// the real destination checks.
[[noreturn]] void RunDialogOnTerminal(ChildSetup setup) {
  conditions::FakePeriodLibrary library;
  os::FakeOs os(os::FakeOs::PathRules::kPosix);
  os.AddFolder("/out");
  if (setup.destination_exists) os.ReplaceFileAtomically("/out/kessan.xml", "old");
  conditions::MemorySettingsStore store;
  Terminal terminal(std::cin, std::cerr, TerminalCharset::kUtf8);
  std::ofstream controlling_terminal;
  if (setup.stderr_to_log) {
    controlling_terminal.open("/dev/tty");
    terminal.set_prompt_stream(&controlling_terminal);
    if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(3);
  }
  ConsoleDesktop desktop(terminal, {AnswerPolicy::kAsk, true, false, "/"});
  conditions::ConditionsDialog dialog(library, os, desktop, conditions::PosixPathStyle(), store,
                                      conditions::CheckDestination, 0);
  dialog.company_law_flag = 1;
  dialog.introduction_month = 1;
  dialog.period_start_date = 20020401;
  dialog.period_end_date = 20030331;
  dialog.company_name_text = " 山田商店";
  dialog.period_text = " 2002/04/01～2003/03/31";
  ConsoleChoices choices;
  choices.equity_statement_kind = 1;
  choices.ledger = true;
  choices.output_path = "/out/kessan.xml";
  const int result = RunConsoleDialog(dialog, desktop, choices, true);
  (setup.stderr_to_log ? static_cast<std::ostream&>(controlling_terminal) : std::cerr)
      << "result " << result << " months " << dialog.start_month_text << "-"
      << dialog.end_month_text << std::endl;
  _exit(result == kDialogExecuted ? 0 : 1);
}

// The parent's end of the terminal.
class PtySession {
 public:
  explicit PtySession(ChildSetup setup = {}) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) RunDialogOnTerminal(setup);
  }
  ~PtySession() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  bool started() const { return pid_ > 0; }
  const std::string& output() const { return output_; }

  // Reads until text (UTF-8) appears after what earlier waits consumed.
  bool WaitFor(const std::string& text) {
    const long long deadline = NowMs() + 10000;
    for (;;) {
      const std::size_t found = output_.find(text, consumed_);
      if (found != std::string::npos) {
        consumed_ = found + text.size();
        return true;
      }
      const long long left = deadline - NowMs();
      if (left <= 0 || !ReadSome(static_cast<int>(left))) return false;
    }
  }

  // Types a line and Enter.
  void Type(const std::string& line) { TypeRaw(line + "\n"); }
  void TypeRaw(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // The child's exit status; -1 when it did not end within 10 seconds.
  int ExitStatus() {
    const long long deadline = NowMs() + 10000;
    while (NowMs() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      // Keep draining the terminal so the child never blocks on a full one; once it has
      // closed its end, reading fails at once, so wait a little instead.
      if (!ReadSome(50)) usleep(10000);
    }
    return -1;
  }

 private:
  // <chrono> does not compile with the CP932 execution charset (its "µs" literal).
  static long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
  }

  bool ReadSome(int timeout_ms) {
    pollfd descriptor{master_, POLLIN, 0};
    if (poll(&descriptor, 1, timeout_ms) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // the child has gone (EIO)
    output_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  bool reaped_ = false;
  std::string output_;
  std::size_t consumed_ = 0;
};

TEST(ConsolePtyTest, AsksForTheMonthsRefusesABadRangeAndAcceptsACorrectedOne) {
  PtySession session;
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor(Utf8(u8"事業所名: 山田商店"))) << session.output();
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の開始月 [4]: "))) << session.output();
  session.Type("5");
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の終了月 [3]: "))) << session.output();
  session.Type("4");
  // 5～4 runs back into the first month: refused, and the end month is asked for again.
  ASSERT_TRUE(session.WaitFor(Utf8(u8"警告: 集計期間に誤りがあります。"))) << session.output();
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の終了月 [4]: "))) << session.output();
  session.Type("3");
  ASSERT_TRUE(session.WaitFor("result 1002 months 5-3")) << session.output();
  EXPECT_EQ(session.ExitStatus(), 0) << session.output();
}

TEST(ConsolePtyTest, EndOfInputOnTheTerminalCancels) {
  PtySession session;
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の開始月 [4]: "))) << session.output();
  session.TypeRaw("\x04");  // Ctrl-D at the start of a line: the end of input
  ASSERT_TRUE(session.WaitFor(Utf8(u8"情報: ｢決算書｣の集計を中止します。"))) << session.output();
  ASSERT_TRUE(session.WaitFor("result 1003")) << session.output();
  EXPECT_EQ(session.ExitStatus(), 1) << session.output();
}

// With standard error in a log, the questions still reach the user at the terminal, and
// はい answers them as y does; a wrong answer says what the right ones are.
TEST(ConsolePtyTest, QuestionsReachTheTerminalWhenErrorsGoToALog) {
  PtySession session({.stderr_to_log = true, .destination_exists = true});
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の開始月 [4]: "))) << session.output();
  session.Type("");
  ASSERT_TRUE(session.WaitFor(Utf8(u8"集計期間の終了月 [3]: "))) << session.output();
  session.Type("");
  ASSERT_TRUE(session.WaitFor(Utf8(u8"確認: "))) << session.output();
  ASSERT_TRUE(session.WaitFor("[y/n]: ")) << session.output();
  session.Type("x");
  ASSERT_TRUE(session.WaitFor(Utf8(u8"y（はい）か n（いいえ）で答えてください。")))
      << session.output();
  session.Type(Utf8(u8"はい"));
  ASSERT_TRUE(session.WaitFor("result 1002 months 4-3")) << session.output();
  EXPECT_EQ(session.ExitStatus(), 0) << session.output();
}

}  // namespace
}  // namespace vintor::ui::console
