// The repaint throttle every progress view sits behind. The run asks for an immediate
// repaint about seven times per position and six times per activity pulse, tens of
// thousands of times a second in a long ledger export; drawing each would cost more than
// the export itself (a terminal line, or a window repainted through the desktop).
//
// The throttle passes a repaint on only when something a view can show changed (the main
// bar, the caption's per cent or a new activity pulse) and at least min_interval_ms has
// passed since the last one it passed on. What it held back is never lost: hiding the
// window passes the last state on first, so the final picture is always the run's.
#pragma once

#include <cstdint>
#include <functional>

#include "ui/progress_window.h"

namespace vintor::ui {

class ThrottledProgressView : public ProgressView {
 public:
  static constexpr std::int64_t kDefaultIntervalMs = 33;  // about 30 pictures a second

  // Milliseconds on a clock that never goes back (os::MonotonicMilliseconds in the program).
  using Clock = std::function<std::int64_t()>;

  // target is not owned and must outlive the throttle.
  ThrottledProgressView(ProgressView& target, Clock clock,
                        std::int64_t min_interval_ms = kDefaultIntervalMs);

  void Repaint(const ProgressState& state) override;
  void Show(bool visible) override;
  WindowHandle Handle() override { return target_.Handle(); }

  // Repaints passed on so far, for tests and benchmarks.
  std::uint64_t repaints_passed() const { return repaints_passed_; }

 private:
  static bool ShowsTheSame(const ProgressState& a, const ProgressState& b);
  void PassOn(const ProgressState& state);

  ProgressView& target_;
  Clock clock_;
  std::int64_t min_interval_ms_;
  // The last state asked for, and the last one passed on.
  ProgressState asked_;
  ProgressState passed_;
  bool passed_any_ = false;  // since the window was last shown
  bool held_ = false;        // asked_ differs from what was passed on
  std::int64_t passed_at_ms_ = 0;
  std::uint64_t repaints_passed_ = 0;
};

}  // namespace vintor::ui
