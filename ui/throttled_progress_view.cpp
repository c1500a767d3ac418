#include "ui/throttled_progress_view.h"

#include <utility>

namespace vintor::ui {

ThrottledProgressView::ThrottledProgressView(ProgressView& target, Clock clock,
                                             std::int64_t min_interval_ms)
    : target_(target), clock_(std::move(clock)), min_interval_ms_(min_interval_ms) {}

bool ThrottledProgressView::ShowsTheSame(const ProgressState& a, const ProgressState& b) {
  // The activity bar's position within a pulse is left out: five of the six repaints of a
  // pulse only move it, and a view shows a pulse as a whole.
  return a.main_bar == b.main_bar && a.caption_percent == b.caption_percent &&
         a.pulses == b.pulses && a.visible == b.visible;
}

void ThrottledProgressView::Repaint(const ProgressState& state) {
  // The cheap comparison first: most repaints the run asks for change nothing visible.
  if (passed_any_ && ShowsTheSame(state, passed_)) {
    held_ = false;
    return;
  }
  asked_ = state;
  const std::int64_t now = clock_();
  if (passed_any_ && now - passed_at_ms_ < min_interval_ms_) {
    held_ = true;
    return;
  }
  passed_at_ms_ = now;
  PassOn(state);
}

void ThrottledProgressView::Show(bool visible) {
  if (!visible && held_) PassOn(asked_);
  if (visible) passed_any_ = false;
  held_ = false;
  target_.Show(visible);
}

void ThrottledProgressView::PassOn(const ProgressState& state) {
  passed_ = state;
  passed_any_ = true;
  held_ = false;
  ++repaints_passed_;
  target_.Repaint(state);
}

}  // namespace vintor::ui
