#include <gtest/gtest.h>

#include "Common/ZVVSplitViewDelegate.h"

namespace {

using Panes = ZVVSplitViewDelegate::Panes;

ZVVSplitViewDelegate windowRules() {
  ZVVSplitViewDelegate d;
  d.minHSizeLeft = 260;
  d.maxHSizeLeft = 9999;
  d.minHSizeRight = 530;
  d.maxHSizeRight = 9999;
  d.canCollapseLeft = false;
  return d;
}

TEST(SplitViewDelegate, GrowingRulesShareAChangeOfWidth) {
  struct Case {
    int rule;
    Panes after;
  };
  const Case cases[] = {{0, {300, 799}}, {1, {400, 699}}, {2, {350, 749}}, {7, {300, 699}}};
  for (const Case& c : cases) {
    ZVVSplitViewDelegate d;
    d.growingRule = c.rule;
    EXPECT_EQ(d.resizeSubviews({300, 699}, 1100, 1), c.after) << "rule " << c.rule;
  }
  // Under rule 2 the right pane's limits win.
  ZVVSplitViewDelegate d = windowRules();
  EXPECT_EQ(d.resizeSubviews({300, 600}, 780, 1), (Panes{249, 530}));
  // A collapsed pane stays collapsed; the other takes all.
  EXPECT_EQ(d.resizeSubviews({999, 0}, 1300, 1), (Panes{1299, 0}));
  EXPECT_EQ(d.resizeSubviews({0, 999}, 1300, 1), (Panes{0, 1299}));
}

TEST(SplitViewDelegate, CollapseAndExpandNeverDrift) {
  const ZVVSplitViewDelegate d = windowRules();
  const double t = 5;
  // Collapsed at 600 wide in a 1200 split view, opened after it grew by 200: 100 more.
  auto [grown, used] = d.expandRightView(600, 1200, 1400, t);
  EXPECT_EQ(used, 700);
  EXPECT_EQ(grown, (Panes{1400 - 700 - t, 700}));
  // Cycles at one width give the pane back exactly.
  double width = 612;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(ZVVSplitViewDelegate::collapseRightView(1200, t), (Panes{1200 - t, 0}));
    const auto [panes, again] = d.expandRightView(width, 1200, 1200, t);
    EXPECT_EQ(panes.right, 612);
    width = again;
  }
  // Opening never squeezes the left pane below its minimum, nor the right below its own.
  EXPECT_EQ(d.expandRightView(900, 1000, 1000, t).first, (Panes{260, 1000 - 260 - t}));
  EXPECT_EQ(d.expandRightView(100, 1000, 1000, t).second, 530);
  EXPECT_EQ(d.expandToMinRightView(1000, t), (Panes{1000 - 530 - t, 530}));
}

}  // namespace
