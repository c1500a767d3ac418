#include "ui/progress_window.h"

#include <algorithm>

namespace vintor::ui {

namespace {

// The activity bar's range is 0..5 and a cycle moves it six times: the last move runs
// against the upper limit and leaves the bar full.
constexpr int kActivityHigh = 5;
constexpr int kActivityMoves = 6;

}  // namespace

std::string ProgressCaption(int percent) {
  return "集計中 " + std::to_string(percent) + "％";
}

void ProgressWindow::Show() {
  state_.visible = true;
  if (view_) view_->Show(true);
}

void ProgressWindow::End() {
  state_.visible = false;
  if (view_) view_->Show(false);
}

void ProgressWindow::ResetProgress() {
  // The bar control takes the new range and position without a repaint of its own; the
  // next repaint shows them.
  state_.main_bar = 0;
}

void ProgressWindow::AdvanceProgress(std::int16_t from, std::int16_t to) {
  for (int position = from; position <= to; ++position) {
    // A run with very few accounts can be asked past the end; like the bar, the caption
    // stops at 100 per cent instead of showing 104.
    if (position % 100 == 0) state_.caption_percent = std::min(position, kMaxPosition) / 100;
    // The bar control moves by its step and stops at its upper limit; the request is
    // counted either way, since that is what the run asked for.
    ++counts_.main_moves;
    state_.main_bar = std::min(state_.main_bar + 1, kMaxPosition);
    PulseActivity();
    Repaint();
  }
}

void ProgressWindow::PulseActivity() {
  state_.activity_bar = 0;
  ++state_.pulses;
  for (int move = 0; move < kActivityMoves; ++move) {
    ++counts_.activity_moves;
    state_.activity_bar = std::min(state_.activity_bar + 1, kActivityHigh);
    ++counts_.foregrounds;
    Repaint();
  }
}

void ProgressWindow::Repaint() {
  ++counts_.repaints;
  if (view_) view_->Repaint(state_);
}

}  // namespace vintor::ui
