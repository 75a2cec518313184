#include <gtest/gtest.h>

#include <QSignalSpy>
#include <functional>

#include "GuiDriver.h"
#include "window/MainSplitView.h"

namespace {

using Panes = ZVVSplitView::Panes;

// A split view of the document window's limits, 1000 wide, with its divider t thick.
std::unique_ptr<MainSplitView> splitView(double t,
                                         const std::function<void(ZVVSplitViewDelegate&)>& more) {
  auto split = std::make_unique<MainSplitView>();
  split->addWidget(new QWidget);
  split->addWidget(new QWidget);
  split->setHandleWidth(int(t));
  ZVVSplitViewDelegate& rules = split->rules();
  rules.setMinHSizeLeft(260);
  rules.setMaxHSizeLeft(9999);
  rules.setMinHSizeRight(530);
  rules.setMaxHSizeRight(9999);
  rules.setCanCollapseLeft(false);
  if (more) more(rules);
  split->applyLimits();
  split->resize(1000, 300);
  split->show();
  GuiDriver::settle();
  return split;
}

// A divider moved from code collapses a pane only when it passes the pane's limit by more than
// half the pane's minimum width, and only a pane that may collapse; else it stops at the limit.
TEST(MainSplitView, ADividerSetFromCodeCollapsesAPaneOrStopsAtItsLimit) {
  const auto leftMayCollapse = [](ZVVSplitViewDelegate& d) { d.setCanCollapseLeft(true); };
  const auto rightMayNot = [](ZVVSplitViewDelegate& d) { d.setCanCollapseRight(false); };
  for (double t : {1.0, 6.0}) {
    const double limit = 1000 - 530 - t;  // the rightmost place of the divider
    const struct {
      const char* what;
      std::function<void(ZVVSplitViewDelegate&)> rules;
      double position;
      Panes after;
    } cases[] = {
        {"inside the limits", nullptr, 400, {400, 600 - t}},
        {"half the right pane's minimum past its limit", nullptr, limit + 265, {limit, 530}},
        {"more than half past it", nullptr, limit + 266, {1000 - t, 0}},
        {"far past it, the right pane may not collapse", rightMayNot, 990, {limit, 530}},
        {"half the left pane's minimum past its limit", leftMayCollapse, 130, {260, 740 - t}},
        {"more than half past it", leftMayCollapse, 129, {0, 1000 - t}},
        {"far past it, the left pane may not collapse", nullptr, 10, {260, 740 - t}},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << ", divider " << t);
      const auto split = splitView(t, c.rules);
      ASSERT_EQ(split->dividerThickness(), t);
      split->setPanes({400, 600 - t});
      QSignalSpy resized(split.get(), &MainSplitView::subviewsResized);
      split->setPositionOfDivider(c.position, 0);
      GuiDriver::settle();
      EXPECT_EQ(split->panes(), c.after);
      EXPECT_EQ(split->isSubviewCollapsed(0), c.after.left == 0);
      EXPECT_EQ(split->isSubviewCollapsed(1), c.after.right == 0);
      EXPECT_GE(resized.count(), 1);
    }
  }
}

// The rules' pane operations on the real split view: the collapse and open-at-minimum
// positions keep their meaning whatever the divider's thickness.
TEST(MainSplitView, TheRightPaneCollapsesAndOpensAtItsMinimumWhateverTheDivider) {
  for (int t : {1, 6, 12}) {
    SCOPED_TRACE(t);
    const auto split = splitView(t, nullptr);
    const ZVVSplitViewDelegate& rules = split->rules();
    split->setPanes({300, 700.0 - t});
    QRectF frame;
    EXPECT_EQ(rules.collapseRightView(*split, frame), 700 - t);
    EXPECT_EQ(split->panes(), (Panes{1000.0 - t, 0}));
    EXPECT_EQ(frame, split->splitViewFrame());
    EXPECT_EQ(rules.expandToMinRightView(*split), 0);
    EXPECT_EQ(split->panes(), (Panes{470.0 - t, 530}));
    EXPECT_TRUE(rules.toggleCollapseExpandRightView(*split));
    EXPECT_TRUE(split->isSubviewCollapsed(1));
    EXPECT_EQ(rules.toggleCollapseExpandRightView(*split, 612, frame), 612);
    EXPECT_EQ(split->panes(), (Panes{388.0 - t, 612}));
    // The left pane may not collapse: collapsing it leaves it at its minimum.
    EXPECT_TRUE(rules.toggleCollapseLeftView(*split));
    EXPECT_EQ(split->panes(), (Panes{260, 740.0 - t}));
  }
}

}  // namespace
