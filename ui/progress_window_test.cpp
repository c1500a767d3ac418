#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace vintor::ui {
namespace {

struct Advance {
  std::int16_t from;
  std::int16_t to;
};

TEST(ProgressWindowTest, CountsEveryMoveTheRunAsksFor) {
  struct Case {
    const char* what;
    std::vector<Advance> calls;
    int main_bar;
    int caption;
    std::uint64_t main_moves;
  } const cases[] = {
      {"backwards range does nothing", {{500, 499}}, 0, -1, 0},
      {"one position", {{500, 500}}, 1, 5, 1},
      {"caption only at the multiple of 100", {{501, 600}}, 100, 6, 100},
      {"a shared position moves twice", {{0, 1000}, {1000, 3000}}, 3002, 30, 3002},
      {"the bar stops at its limit", {{0, 10000}, {0, 10000}}, 10000, 100, 20002},
      {"so does the caption", {{9400, 10400}}, 1001, 100, 1001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgressWindow window;
    window.ResetProgress();
    for (const Advance& call : c.calls) window.AdvanceProgress(call.from, call.to);
    EXPECT_EQ(window.state().main_bar, c.main_bar);
    EXPECT_EQ(window.state().caption_percent, c.caption);
    EXPECT_EQ(window.counts().main_moves, c.main_moves);
    // Each position pulses once (six activity moves) and asks for seven repaints.
    EXPECT_EQ(window.counts().activity_moves, 6 * c.main_moves);
    EXPECT_EQ(window.counts().repaints, 7 * c.main_moves);
  }
}

TEST(ProgressWindowTest, PulseRunsTheActivityBarToFull) {
  ProgressWindow window;
  window.PulseActivity();
  window.PulseActivity();
  EXPECT_EQ(window.state().activity_bar, 5);
  EXPECT_EQ(window.state().pulses, 2u);
  EXPECT_EQ(window.counts().activity_moves, 12u);
  EXPECT_EQ(window.counts().foregrounds, 12u);
  EXPECT_EQ(window.counts().main_moves, 0u);
}

class RecordingView : public ProgressView {
 public:
  void Repaint(const ProgressState& state) override {
    ++repaints;
    last = state;
  }
  void Show(bool visible) override { shown = visible; }
  WindowHandle Handle() override { return 42; }
  int repaints = 0;
  bool shown = false;
  ProgressState last;
};

TEST(ProgressWindowTest, TheViewSeesEveryRepaintAndTheCaption) {
  RecordingView view;
  ProgressWindow window(&view);
  window.Show();
  window.AdvanceProgress(4000, 4000);
  EXPECT_TRUE(view.shown);
  EXPECT_EQ(view.repaints, 7);
  EXPECT_EQ(view.last.caption_percent, 40);
  EXPECT_EQ(ProgressCaption(view.last.caption_percent), "集計中 40％");
  EXPECT_EQ(window.Handle(), 42u);
  window.End();
  EXPECT_FALSE(view.shown);
}

}  // namespace
}  // namespace vintor::ui
