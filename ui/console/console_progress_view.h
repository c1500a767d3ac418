// The progress window of the Linux front-end: one line on the terminal (standard error in
// the program), redrawn in place:
//
//   集計中 40％ [########------------] |
//
// the caption, the main bar, and a spinner that turns while the activity bar pulses. Nothing
// is drawn when the stream is not a terminal (a log file keeps no progress noise) or the
// user asked for quiet.
//
// The view draws whenever something the line shows changed (a bar cell, the per cent, a
// new pulse); the final state is drawn when the window is hidden. How often it is asked is
// the business of the ThrottledProgressView (ui/throttled_progress_view.h) the program puts
// in front of it.
#pragma once

#include <cstdint>
#include <string>

#include "ui/console/terminal.h"
#include "ui/progress_window.h"

namespace vintor::ui::console {

class ConsoleProgressView : public ProgressView {
 public:
  static constexpr int kBarCells = 20;
  // The handle the view answers: not a real window, but not 0, so the run's last message
  // boxes have an owner as they do on Windows.
  static constexpr WindowHandle kHandle = 1;

  // Draws on fd (not owned; it must stay open while the view draws) when fd is a terminal
  // and quiet is false. The caption is converted for charset.
  ConsoleProgressView(int fd, bool quiet, TerminalCharset charset);
  // For tests: draws when as_terminal (whatever fd is) and not quiet.
  ConsoleProgressView(int fd, bool quiet, TerminalCharset charset, bool as_terminal);

  void Repaint(const ProgressState& state) override;
  void Show(bool visible) override;
  WindowHandle Handle() override { return kHandle; }

  // Erases the progress line so that other text on the same stream (a message box shown
  // while the window is up) starts on a clean line; the next repaint draws the line anew
  // below that text. Nothing happens when no line is drawn.
  void ClearLine();

  // Lines drawn so far (each redraw of the line counts one), for tests and benchmarks.
  std::uint64_t repaints_drawn() const { return repaints_drawn_; }

 private:
  void Draw();
  void Write(const std::string& bytes);

  int fd_;
  bool enabled_;
  TerminalCharset charset_;

  // The last state the run asked to show, and whether it has asked at all since shown.
  ProgressState seen_;
  bool seen_any_ = false;
  // What the line on the terminal shows now.
  bool line_open_ = false;  // a line is drawn and not yet ended with a newline
  int drawn_cells_ = -1;
  int drawn_caption_percent_ = -2;
  std::uint64_t drawn_pulses_ = 0;
  unsigned spinner_phase_ = 0;
  // The converted caption, kept until the per cent changes.
  int caption_percent_ = -2;
  std::string caption_;

  std::uint64_t repaints_drawn_ = 0;
};

}  // namespace vintor::ui::console
