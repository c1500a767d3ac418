#include "ui/console/console_progress_view.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <string>

#include "ui/throttled_progress_view.h"

namespace vintor::ui::console {
namespace {

std::string Utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

// Everything written to the pipe so far.
std::string Drain(int fd) {
  std::string out;
  char buffer[4096];
  for (;;) {
    pollfd descriptor{fd, POLLIN, 0};
    if (poll(&descriptor, 1, 0) <= 0) return out;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return out;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

class ConsoleProgressViewTest : public testing::Test {
 protected:
  // A full pipe fails the writes instead of blocking the test.
  void SetUp() override {
    ASSERT_EQ(pipe2(pipe_, O_CLOEXEC), 0);
    ASSERT_EQ(fcntl(pipe_[1], F_SETFL, O_NONBLOCK), 0);
  }
  void TearDown() override {
    close(pipe_[0]);
    close(pipe_[1]);
  }

  // A view drawing into the pipe as if it were a terminal.
  ConsoleProgressView TerminalView(TerminalCharset charset = TerminalCharset::kUtf8) {
    return ConsoleProgressView(pipe_[1], false, charset, true);
  }

  static ProgressState State(int main_bar, int percent, std::uint64_t pulses) {
    ProgressState state;
    state.main_bar = main_bar;
    state.caption_percent = percent;
    state.pulses = pulses;
    state.visible = true;
    return state;
  }

  int pipe_[2] = {-1, -1};
};

TEST_F(ConsoleProgressViewTest, DrawsNothingOffATerminalOrWhenQuiet) {
  ConsoleProgressView not_terminal(pipe_[1], false, TerminalCharset::kUtf8);  // a pipe
  ConsoleProgressView quiet(pipe_[1], true, TerminalCharset::kUtf8, true);
  for (ConsoleProgressView* view : {&not_terminal, &quiet}) {
    ProgressWindow window(view);
    window.Show();
    window.ResetProgress();
    window.AdvanceProgress(0, 4000);
    window.End();
    EXPECT_EQ(view->repaints_drawn(), 0u);
    EXPECT_EQ(window.Handle(), ConsoleProgressView::kHandle);
  }
  EXPECT_EQ(Drain(pipe_[0]), "");
}

TEST_F(ConsoleProgressViewTest, DrawsCaptionBarAndSpinnerInTheTerminalsCharset) {
  ConsoleProgressView view = TerminalView();
  view.Show(true);
  view.Repaint(State(4000, 40, 7));
  EXPECT_EQ(Drain(pipe_[0]), Utf8(u8"\r集計中 40％ [########------------] |\x1b[K"));
  // Before the first per cent the bare title; a raw terminal gets the CP932 bytes.
  ConsoleProgressView raw = TerminalView(TerminalCharset::kRaw);
  raw.Show(true);
  raw.Repaint(State(0, -1, 0));
  EXPECT_EQ(Drain(pipe_[0]), "\r\x8F\x57\x8C\x76\x92\x86 [--------------------] |\x1b[K");
}

TEST_F(ConsoleProgressViewTest, DrawsOnlyWhatTheLineShowsDifferently) {
  ConsoleProgressView view = TerminalView();
  view.Show(true);
  view.Repaint(State(0, 0, 1));
  EXPECT_EQ(view.repaints_drawn(), 1u);
  Drain(pipe_[0]);

  // A move smaller than a cell changes nothing that shows.
  view.Repaint(State(0, 0, 1));
  view.Repaint(State(1, 0, 1));
  EXPECT_EQ(view.repaints_drawn(), 1u);
  // A change draws at once; the spinner turns with new pulses.
  view.Repaint(State(2000, 20, 2));
  EXPECT_EQ(view.repaints_drawn(), 2u);
  EXPECT_EQ(Drain(pipe_[0]), Utf8(u8"\r集計中 20％ [####----------------] /\x1b[K"));
}

TEST_F(ConsoleProgressViewTest, BehindTheThrottleAWholeJobIsTwoLinesAndTheFinalState) {
  ConsoleProgressView view = TerminalView();
  ThrottledProgressView throttle(view, [] { return 0; });
  ProgressWindow window(&throttle);
  window.Show();
  window.ResetProgress();
  // The clock stands still: the whole job draws once, then the hidden window its end.
  window.AdvanceProgress(0, 10000);
  EXPECT_EQ(view.repaints_drawn(), 1u);
  window.End();
  EXPECT_EQ(view.repaints_drawn(), 2u);
  const std::string out = Drain(pipe_[0]);
  const std::string end = Utf8(u8"\r集計中 100％ [####################] /\x1b[K\n");
  ASSERT_GE(out.size(), end.size());
  EXPECT_EQ(out.substr(out.size() - end.size()), end);
  // Hidden twice, or shown again: one line end, then a line of its own.
  window.End();
  EXPECT_EQ(Drain(pipe_[0]), "");
  window.Show();
  window.PulseActivity();
  window.End();
  EXPECT_EQ(Drain(pipe_[0]).find('\r'), 0u);
}

TEST_F(ConsoleProgressViewTest, ClearsTheLineForOtherTextAndDrawsItAgainAfter) {
  ConsoleProgressView view = TerminalView();
  ProgressWindow window(&view);
  window.Show();
  window.AdvanceProgress(0, 0);
  Drain(pipe_[0]);
  view.ClearLine();
  EXPECT_EQ(Drain(pipe_[0]), "\r\x1b[K");
  view.ClearLine();  // nothing drawn: nothing to clear
  EXPECT_EQ(Drain(pipe_[0]), "");
  // The same state: drawn again all the same.
  view.Repaint(window.state());
  EXPECT_EQ(view.repaints_drawn(), 2u);
  window.End();
  EXPECT_EQ(Drain(pipe_[0]), Utf8(u8"\r集計中 0％ [--------------------] |\x1b[K\n"));
  // A window hidden right after its line was cleared owes no line end.
  window.Show();
  window.PulseActivity();
  view.ClearLine();
  window.End();
  EXPECT_EQ(Drain(pipe_[0]), Utf8(u8"\r集計中 0％ [--------------------] |\x1b[K\r\x1b[K"));
}

TEST(ConsoleProgressViewTerminalTest, DrawsOnARealTerminal) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  {
    ConsoleProgressView view(slave, false, TerminalCharset::kUtf8);
    ProgressWindow window(&view);
    window.Show();
    window.AdvanceProgress(500, 500);
    window.End();
    EXPECT_EQ(view.repaints_drawn(), 1u);
  }
  // The terminal turns the line end into CR LF.
  EXPECT_EQ(Drain(master), Utf8(u8"\r集計中 5％ [--------------------] |\x1b[K\r\n"));
  close(slave);
  close(master);
}

}  // namespace
}  // namespace vintor::ui::console
