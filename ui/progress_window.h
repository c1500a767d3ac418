// The progress window of a run, as a model: the main bar (the whole job, positions 0 to
// 10 000, 100 per per cent, shown in the caption as "集計中 N％") and the activity bar that
// runs from empty to full again and again while work goes on.
//
// The model counts every move exactly as the run asks for it; the view it notifies decides
// what to draw and when (views coalesce repaints, so a pulse per ledger line stays cheap).
#pragma once

#include <cstdint>
#include <string>

#include "ui/ui.h"

namespace vintor::ui {

// What a view shows.
struct ProgressState {
  int main_bar = 0;          // 0..10 000; stops at its upper limit
  int caption_percent = -1;  // -1 until the first caption is set
  int activity_bar = 0;      // 0..5 after a pulse's first move; full (5) at its end
  std::uint64_t pulses = 0;  // activity cycles so far
  bool visible = false;
};

// The window's caption while it runs: "集計中 N％" (full-width per-cent sign).
std::string ProgressCaption(int percent);

// The contract of a view:
// - The run calls it on its one thread (the thread that created the view's window), from
//   inside the work: no message loop of the program runs meanwhile (the run is
//   single-threaded by design).
// - So the view keeps its windows alive itself: Repaint and Show may handle the messages
//   waiting for that thread (paint and other window messages), which keeps the windows
//   drawn and the program from being marked as not responding during a long export. They
//   never act on user input: keyboard and mouse messages are dropped, as the run takes no
//   input while it works, and nothing they handle calls back into the run.
// - Repaint is asked for tens of thousands of times a second; a view sits behind a
//   ThrottledProgressView (ui/throttled_progress_view.h), which passes on about thirty.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // The model asks for an immediate repaint; the view may coalesce it.
  virtual void Repaint(const ProgressState& state) = 0;
  // The window is hidden (ended) or shown.
  virtual void Show(bool visible) = 0;
  // The window's handle, owner of the run's last message boxes; 0 when there is none.
  virtual WindowHandle Handle() = 0;
};

// Counts of what the window was asked to do, for tests and benchmarks.
struct ProgressCounts {
  std::uint64_t main_moves = 0;      // units the main bar was asked to move
  std::uint64_t activity_moves = 0;  // units the activity bar moved
  std::uint64_t repaints = 0;        // immediate repaints asked for
  std::uint64_t foregrounds = 0;     // bring-to-front requests
};

class ProgressWindow {
 public:
  static constexpr int kMaxPosition = 10'000;

  // view may be null (nothing is shown); it is not owned and must outlive the window.
  explicit ProgressWindow(ProgressView* view = nullptr) : view_(view) {}

  void Show();
  // Hides the window (the end-dialog of the run, code 1).
  void End();
  // Main bar range 0..10 000, position 0.
  void ResetProgress();
  // Moves the main bar one unit for every position from `from` to `to` inclusive (nothing
  // when from > to), sets the caption at every multiple of 100, pulses and repaints.
  void AdvanceProgress(std::int16_t from, std::int16_t to);
  // One activity cycle: the bar from empty to full in six moves, each brought to the front
  // and repainted.
  void PulseActivity();

  WindowHandle Handle() const { return view_ ? view_->Handle() : 0; }
  const ProgressState& state() const { return state_; }
  const ProgressCounts& counts() const { return counts_; }

 private:
  void Repaint();

  ProgressView* view_;
  ProgressState state_;
  ProgressCounts counts_;
};

}  // namespace vintor::ui
