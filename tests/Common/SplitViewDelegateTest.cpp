#include <gtest/gtest.h>

#include <functional>

#include "Common/ZVVSplitViewDelegate.h"

namespace {

using Panes = ZVVSplitViewDelegate::Panes;

ZVVSplitViewDelegate defaultRules() {
  ZVVSplitViewDelegate d;
  d.awakeFromNib();
  return d;
}

ZVVSplitViewDelegate windowRules() {
  ZVVSplitViewDelegate d = defaultRules();
  d.setMinHSizeLeft(260);
  d.setMaxHSizeLeft(9999);
  d.setMinHSizeRight(530);
  d.setMaxHSizeRight(9999);
  d.setCanCollapseLeft(false);
  return d;
}

// A split view of given width whose divider obeys the shared rule for positions set from code.
class PlainSplitView : public ZVVSplitView {
 public:
  PlainSplitView(const ZVVSplitViewDelegate& rules, double W, double t, Panes panes)
      : rules_(rules), W_(W), t_(t), panes_(panes) {}

  QRectF splitViewFrame() const override { return {0, 0, W_, 400}; }
  double dividerThickness() const override { return t_; }
  Panes panes() const override { return panes_; }
  bool isSubviewCollapsed(int pane) const override {
    return (pane == 0 ? panes_.left : panes_.right) <= 0;
  }
  void setPositionOfDivider(double position, int) override {
    panes_ = panesForDividerPosition(rules_, position, W_, t_);
  }
  // The split view changed width and laid its panes out by the rules.
  void resize(double W) {
    panes_ = rules_.resizeSubviews(panes_, W, t_);
    W_ = W;
  }

 private:
  const ZVVSplitViewDelegate& rules_;
  double W_, t_;
  Panes panes_;
};

TEST(SplitViewDelegate, LimitsHoldOnceAwakedAndPassWidthsThroughBefore) {
  const struct {
    bool awaked;
    double width, left, right;
  } cases[] = {
      {false, 50, 50, 50},          {false, 150000, 150000, 150000}, {true, 50, 200, 200},
      {true, 150000, 99999, 99999}, {true, 640, 640, 640},
  };
  for (const auto& c : cases) {
    ZVVSplitViewDelegate d;
    if (c.awaked) d.awakeFromNib();
    EXPECT_EQ(d.awaked(), c.awaked);
    EXPECT_EQ(d.leftFrameInsideLimits(c.width), c.left) << c.awaked << " " << c.width;
    EXPECT_EQ(d.rightFrameInsideLimits(c.width), c.right) << c.awaked << " " << c.width;
  }
}

TEST(SplitViewDelegate, TheDividerStaysWhereBothPanesKeepTheirLimits) {
  ZVVSplitViewDelegate capped = defaultRules();
  capped.setMaxHSizeLeft(500);
  capped.setMinHSizeLeft(150);
  capped.setMaxHSizeRight(300);
  const struct {
    const char* rules;
    const ZVVSplitViewDelegate d;
    int divider;
    double min, max;
  } cases[] = {
      // 1000 wide, divider 1 thick.
      {"defaults", defaultRules(), 0, 200, 799},
      {"defaults, other divider", defaultRules(), 1, 200, 799},
      {"window", windowRules(), 0, 260, 469},
      {"window, other divider", windowRules(), 1, 530, 739},
      {"capped", capped, 0, 150, 500},
      {"capped, other divider", capped, 1, 200, 300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rules);
    EXPECT_EQ(c.d.constrainMinCoordinate(0, c.divider), c.min);
    EXPECT_EQ(c.d.constrainMaxCoordinate(1000, 1, 1000, c.divider), c.max);
  }
  ZVVSplitViewDelegate d = defaultRules();
  d.setCanCollapseLeft(false);
  EXPECT_FALSE(d.canCollapseSubview(0));
  EXPECT_TRUE(d.canCollapseSubview(1));
  d.setCanCollapseLeft(true);
  d.setCanCollapseRight(false);
  EXPECT_TRUE(d.canCollapseSubview(0));
  EXPECT_FALSE(d.canCollapseSubview(1));
}

TEST(SplitViewDelegate, GrowingRulesShareAChangeOfWidth) {
  struct Case {
    int rule;
    Panes after;
  };
  const Case cases[] = {{0, {300, 799}}, {1, {400, 699}}, {2, {350, 749}}, {7, {300, 699}}};
  for (const Case& c : cases) {
    ZVVSplitViewDelegate d = defaultRules();
    d.setGrowingRule(c.rule);
    EXPECT_EQ(d.resizeSubviews({300, 699}, 1100, 1), c.after) << "rule " << c.rule;
  }
  // Under rule 2 the right pane's limits win.
  ZVVSplitViewDelegate d = windowRules();
  EXPECT_EQ(d.resizeSubviews({300, 600}, 780, 1), (Panes{249, 530}));
  // A collapsed pane stays collapsed, whatever the rule; the other takes all.
  for (int rule : {0, 1, 2, 7}) {
    d.setGrowingRule(rule);
    EXPECT_EQ(d.resizeSubviews({999, 0}, 1300, 1), (Panes{1299, 0})) << "rule " << rule;
    EXPECT_EQ(d.resizeSubviews({999, 0}, 900, 1), (Panes{899, 0})) << "rule " << rule;
    EXPECT_EQ(d.resizeSubviews({0, 999}, 1300, 1), (Panes{0, 1299})) << "rule " << rule;
  }
}

TEST(SplitViewDelegate, PaneOperationsCollapseOrOpenAtTheMinimum) {
  using Op = std::function<double(const ZVVSplitViewDelegate&, ZVVSplitView&, QRectF&)>;
  const Op collapseLeft = [](auto& d, auto& s, auto&) { return d.collapseLeftView(s); };
  const Op expandLeft = [](auto& d, auto& s, auto&) { return d.expandToMinLeftView(s); };
  const Op toggleLeft = [](auto& d, auto& s, auto&) { return d.toggleCollapseLeftView(s); };
  const Op expandRight = [](auto& d, auto& s, auto&) { return d.expandToMinRightView(s); };
  const Op expandRightFrame = [](auto& d, auto& s, auto& f) {
    return d.expandToMinRightView(s, f);
  };
  const Op collapseRight = [](auto& d, auto& s, auto& f) { return d.collapseRightView(s, f); };
  const Op toggleRight = [](auto& d, auto& s, auto&) { return d.toggleCollapseExpandRightView(s); };
  const Op toggleRightTo = [](auto& d, auto& s, auto& f) {
    return d.toggleCollapseExpandRightView(s, 612, f);
  };
  const struct {
    const char* what;
    ZVVSplitViewDelegate rules;
    double t;
    Panes before;
    Op op;
    Panes after;
    double result;
    bool framed;  // the operation hands back the split view's frame
  } cases[] = {
      {"collapse left", defaultRules(), 1, {300, 699}, collapseLeft, {0, 999}, true, false},
      {"collapse a left pane that may not",
       windowRules(),
       1,
       {300, 699},
       collapseLeft,
       {260, 739},
       true,
       false},
      {"open left at its minimum",
       defaultRules(),
       1,
       {0, 999},
       expandLeft,
       {200, 799},
       true,
       false},
      {"toggle a collapsed left", defaultRules(), 1, {0, 999}, toggleLeft, {200, 799}, true, false},
      {"toggle an open left", defaultRules(), 1, {300, 699}, toggleLeft, {0, 999}, true, false},
      {"open right at its minimum", windowRules(), 1, {999, 0}, expandRight, {469, 530}, 0, false},
      {"open right at its minimum, thick divider",
       windowRules(),
       6,
       {994, 0},
       expandRight,
       {464, 530},
       0,
       false},
      {"shrink right to its minimum",
       windowRules(),
       6,
       {300, 694},
       expandRightFrame,
       {464, 530},
       694,
       true},
      {"collapse right", windowRules(), 1, {300, 699}, collapseRight, {999, 0}, 699, true},
      {"collapse right, thick divider",
       windowRules(),
       6,
       {300, 694},
       collapseRight,
       {994, 0},
       694,
       true},
      {"collapse a right pane that may not",
       [] {
         ZVVSplitViewDelegate d = windowRules();
         d.setCanCollapseRight(false);
         return d;
       }(),
       1,
       {300, 699},
       collapseRight,
       {469, 530},
       699,
       true},
      {"toggle a collapsed right",
       windowRules(),
       6,
       {994, 0},
       toggleRight,
       {464, 530},
       true,
       false},
      {"toggle an open right", windowRules(), 6, {300, 694}, toggleRight, {994, 0}, true, false},
      {"toggle a collapsed right to a width",
       windowRules(),
       6,
       {994, 0},
       toggleRightTo,
       {382, 612},
       612,
       true},
      {"toggle an open right to a width",
       windowRules(),
       6,
       {300, 694},
       toggleRightTo,
       {994, 0},
       694,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlainSplitView split(c.rules, 1000, c.t, c.before);
    QRectF frame;
    EXPECT_EQ(c.op(c.rules, split, frame), c.result);
    EXPECT_EQ(split.panes(), c.after);
    EXPECT_EQ(frame, c.framed ? split.splitViewFrame() : QRectF());
  }
}

TEST(SplitViewDelegate, TheRightPaneComesBackAtItsRememberedWidth) {
  const ZVVSplitViewDelegate d = windowRules();
  const double t = 5;
  // Collapsed at 600 wide in a 1200 split view, opened after it grew by 200: 100 more.
  PlainSplitView split(d, 1200, t, {1200 - 600 - t, 600});
  QRectF frame;
  EXPECT_EQ(d.collapseRightView(split, frame), 600);
  EXPECT_EQ(frame.width(), 1200);
  split.resize(1400);
  EXPECT_EQ(split.panes(), (Panes{1400 - t, 0}));
  EXPECT_EQ(d.expandRightView(split, 600, frame), 700);
  EXPECT_EQ(split.panes(), (Panes{1400 - 700 - t, 700}));
  EXPECT_EQ(frame.width(), 1400);
  // Shrunk by 200 while collapsed: half of it is taken from the pane.
  d.collapseRightView(split, frame);
  split.resize(1200);
  EXPECT_EQ(d.expandRightView(split, 700, frame), 600);
  EXPECT_EQ(split.panes().right, 600);
  // Cycles at one width give the pane back exactly.
  double width = 612;
  split.setPositionOfDivider(1200 - width - t, 0);
  for (int i = 0; i < 10; ++i) {
    width = d.toggleCollapseExpandRightView(split, width, frame);
    ASSERT_EQ(split.panes().right, 0) << "cycle " << i;
    width = d.toggleCollapseExpandRightView(split, width, frame);
    ASSERT_EQ(split.panes().right, 612) << "cycle " << i;
  }
  const struct {
    const char* what;
    double W, v;
    QRectF remembered;
    Panes after;
    double used;
  } cases[] = {
      {"wider than the left pane allows", 1000, 900, {0, 0, 1000, 400}, {260, 735}, 735},
      {"narrower than its minimum", 1000, 100, {0, 0, 1000, 400}, {465, 530}, 530},
      {"grown past what the left pane allows", 1000, 600, {0, 0, 400, 400}, {260, 735}, 735},
      // Nothing remembered (a file saved with the pane collapsed): its minimum.
      {"nothing remembered", 1400, 0, {}, {865, 530}, 530},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlainSplitView collapsed(d, c.W, t, {c.W - t, 0});
    QRectF remembered = c.remembered;
    EXPECT_EQ(d.expandRightView(collapsed, c.v, remembered), c.used);
    EXPECT_EQ(collapsed.panes(), c.after);
    EXPECT_GE(collapsed.panes().left, d.minHSizeLeft());
  }
}

}  // namespace
