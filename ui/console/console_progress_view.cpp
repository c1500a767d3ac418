#include "ui/console/console_progress_view.h"

#include <errno.h>
#include <unistd.h>

namespace vintor::ui::console {
namespace {

constexpr char kSpinner[] = {'|', '/', '-', '\\'};

int BarCells(int main_bar) {
  return main_bar * ConsoleProgressView::kBarCells / ProgressWindow::kMaxPosition;
}

}  // namespace

ConsoleProgressView::ConsoleProgressView(int fd, bool quiet, TerminalCharset charset)
    : ConsoleProgressView(fd, quiet, charset, isatty(fd) == 1) {}

ConsoleProgressView::ConsoleProgressView(int fd, bool quiet, TerminalCharset charset,
                                         bool as_terminal)
    : fd_(fd), enabled_(as_terminal && !quiet), charset_(charset) {}

void ConsoleProgressView::Repaint(const ProgressState& state) {
  if (!enabled_ || !state.visible) return;
  // Five of the six repaints of a pulse move only the activity bar, which the line does
  // not show; three comparisons send them away before anything costs more.
  if (seen_any_ && state.main_bar == seen_.main_bar &&
      state.caption_percent == seen_.caption_percent && state.pulses == seen_.pulses) {
    return;
  }
  seen_ = state;
  seen_any_ = true;
  const bool changed = !line_open_ || BarCells(state.main_bar) != drawn_cells_ ||
                       state.caption_percent != drawn_caption_percent_ ||
                       state.pulses != drawn_pulses_;
  if (changed) Draw();
}

void ConsoleProgressView::Show(bool visible) {
  if (visible) {
    // A window shown again starts a line of its own.
    seen_any_ = false;
    return;
  }
  if (!enabled_ || !seen_any_) return;
  // What the run last asked for stays on the screen.
  if (!line_open_ || BarCells(seen_.main_bar) != drawn_cells_ ||
      seen_.caption_percent != drawn_caption_percent_ || seen_.pulses != drawn_pulses_) {
    Draw();
  }
  Write("\n");
  line_open_ = false;
  seen_any_ = false;
}

void ConsoleProgressView::ClearLine() {
  if (!enabled_ || !line_open_) return;
  Write("\r\x1b[K");
  line_open_ = false;
  // Forget the state last seen, so the next repaint draws even if nothing moved meanwhile.
  seen_any_ = false;
}

void ConsoleProgressView::Draw() {
  if (line_open_ && seen_.pulses != drawn_pulses_) {
    spinner_phase_ = (spinner_phase_ + 1) % sizeof kSpinner;
  }
  if (seen_.caption_percent != caption_percent_) {
    caption_percent_ = seen_.caption_percent;
    // Before the first per cent the window shows its bare title.
    caption_ = ToTerminal(
        caption_percent_ < 0 ? std::string("集計中") : ProgressCaption(caption_percent_), charset_);
  }
  const int cells = BarCells(seen_.main_bar);
  std::string line;
  line.reserve(caption_.size() + kBarCells + 16);
  line += '\r';
  line += caption_;
  line += " [";
  line.append(static_cast<std::size_t>(cells), '#');
  line.append(static_cast<std::size_t>(kBarCells - cells), '-');
  line += "] ";
  line += kSpinner[spinner_phase_];
  // Clears what a longer earlier line left behind.
  line += "\x1b[K";
  Write(line);

  line_open_ = true;
  drawn_cells_ = cells;
  drawn_caption_percent_ = seen_.caption_percent;
  drawn_pulses_ = seen_.pulses;
  ++repaints_drawn_;
}

void ConsoleProgressView::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The progress line is only a courtesy: a terminal that went away ends the drawing,
      // not the run.
      enabled_ = false;
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace vintor::ui::console
