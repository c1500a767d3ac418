#include "ui/throttled_progress_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace vintor::ui {
namespace {

class RecordingView : public ProgressView {
 public:
  void Repaint(const ProgressState& state) override { drawn.push_back(state); }
  void Show(bool visible) override { shown.push_back(visible); }
  WindowHandle Handle() override { return 42; }
  std::vector<ProgressState> drawn;
  std::vector<bool> shown;
};

ProgressState State(int main_bar, int percent, std::uint64_t pulses) {
  ProgressState state;
  state.main_bar = main_bar;
  state.caption_percent = percent;
  state.pulses = pulses;
  state.visible = true;
  return state;
}

TEST(ThrottledProgressViewTest, PassesOnWhatChangedAtMostEveryInterval) {
  RecordingView view;
  std::int64_t now = 1000;
  ThrottledProgressView throttle(view, [&] { return now; }, 33);
  throttle.Show(true);
  struct Step {
    std::int64_t advance_ms;
    ProgressState state;
    std::size_t drawn;  // pictures passed on after the step
  } const steps[] = {
      {0, State(0, 0, 1), 1},       // the first picture at once
      {1000, State(0, 0, 1), 1},    // time alone changes nothing
      {0, State(5, 0, 1), 2},       // a change after the interval passes at once
      {32, State(6, 0, 2), 2},      // within the interval: held back
      {1, State(6, 0, 2), 3},       // asked again after the interval: what was held passes
      {0, State(7, 1, 3), 3},       // held again
      {40, State(7, 1, 3), 4},      // and passed at the next repaint after the interval
  };
  for (const Step& step : steps) {
    now += step.advance_ms;
    throttle.Repaint(step.state);
    EXPECT_EQ(view.drawn.size(), step.drawn);
  }
  EXPECT_EQ(throttle.Handle(), 42u);
}

TEST(ThrottledProgressViewTest, AWholeJobIsAFewPicturesAndHidingShowsTheLast) {
  RecordingView view;
  ThrottledProgressView throttle(view, [] { return 0; });
  ProgressWindow window(&throttle);
  window.Show();
  window.ResetProgress();
  window.AdvanceProgress(0, 10000);
  EXPECT_EQ(window.counts().repaints, 70'007u);
  EXPECT_EQ(view.drawn.size(), 1u);  // the clock stands still
  window.End();
  ASSERT_EQ(view.drawn.size(), 2u);
  EXPECT_EQ(view.drawn.back().main_bar, 10000);
  EXPECT_EQ(view.drawn.back().caption_percent, 100);
  EXPECT_EQ(view.shown, (std::vector<bool>{true, false}));
  // Shown again: its first picture passes at once.
  window.Show();
  window.PulseActivity();
  EXPECT_EQ(view.drawn.size(), 3u);
}

}  // namespace
}  // namespace vintor::ui
