#include "Common/ZVVSplitViewDelegate.h"

#include <algorithm>

ZVVSplitView::Panes ZVVSplitView::panesForDividerPosition(const ZVVSplitViewDelegate& rules,
                                                          double position, double W, double t) {
  const double lowest = rules.constrainMinCoordinate(position, 0);
  const double highest = rules.constrainMaxCoordinate(W, t, position, 0);
  if (position > highest) {
    if (position - highest > rules.minHSizeRight() * 0.5 && rules.canCollapseSubview(1))
      return {W - t, 0};
    position = highest;
  }
  if (position < lowest) {
    if (lowest - position > rules.minHSizeLeft() * 0.5 && rules.canCollapseSubview(0))
      return {0, W - t};
    position = lowest;
  }
  return {position, W - position - t};
}

void ZVVSplitViewDelegate::awakeFromNib() {
  setMinHSizeLeft(200);
  setMaxHSizeLeft(99999);
  setMinHSizeRight(200);
  setMaxHSizeRight(99999);
  setGrowingRule(2);
  setCanCollapseLeft(true);
  setCanCollapseRight(true);
  awaked_ = true;
}

double ZVVSplitViewDelegate::constrainMinCoordinate(double, int dividerIndex) const {
  return dividerIndex == 0 ? minHSizeLeft_ : minHSizeRight_;
}

double ZVVSplitViewDelegate::constrainMaxCoordinate(double splitWidth, double dividerThickness,
                                                    double, int dividerIndex) const {
  const double value = dividerIndex == 0 ? splitWidth - minHSizeRight_ - dividerThickness
                                         : splitWidth - minHSizeLeft_ - dividerThickness;
  const double cap = dividerIndex == 0 ? maxHSizeLeft_ : maxHSizeRight_;
  return cap > value ? value : cap;
}

bool ZVVSplitViewDelegate::canCollapseSubview(int pane) const {
  return pane == 0 ? canCollapseLeft_ : canCollapseRight_;
}

double ZVVSplitViewDelegate::leftFrameInsideLimits(double width) const {
  if (!awaked_) return width;
  if (width < minHSizeLeft_) return minHSizeLeft_;
  if (width > maxHSizeLeft_) return maxHSizeLeft_;
  return width;
}

double ZVVSplitViewDelegate::rightFrameInsideLimits(double width) const {
  if (!awaked_) return width;
  if (width < minHSizeRight_) return minHSizeRight_;
  if (width > maxHSizeRight_) return maxHSizeRight_;
  return width;
}

ZVVSplitViewDelegate::Panes ZVVSplitViewDelegate::resizeSubviews(const Panes& current, double W,
                                                                 double t) const {
  if (current.right <= 0) return {W - t, 0};
  if (current.left <= 0) return {0, W - t};
  double wL = current.left, wR = current.right;
  switch (growingRule_) {
    case 0:
      wR = rightFrameInsideLimits(W - wL - t);
      wL = W - wR - t;
      break;
    case 1:
      wL = leftFrameInsideLimits(W - wR - t);
      wR = W - wL - t;
      break;
    case 2:
      wL = leftFrameInsideLimits((W - wR - t + wL) * 0.5);
      wR = rightFrameInsideLimits(W - wL - t);
      wL = W - wR - t;
      break;
    default:
      break;
  }
  return {wL, wR};
}

bool ZVVSplitViewDelegate::collapseLeftView(ZVVSplitView& split) const {
  split.setPositionOfDivider(minHSizeLeft_ * 0.5 - 1, 0);
  return true;
}

bool ZVVSplitViewDelegate::expandToMinLeftView(ZVVSplitView& split) const {
  split.setPositionOfDivider(minHSizeLeft_ * 0.5 + 1, 0);
  return true;
}

bool ZVVSplitViewDelegate::toggleCollapseLeftView(ZVVSplitView& split) const {
  return split.isSubviewCollapsed(0) ? expandToMinLeftView(split) : collapseLeftView(split);
}

// The right pane's positions are measured from the divider's right edge, the pane's own side,
// so that they keep their meaning whatever the divider's thickness.
double ZVVSplitViewDelegate::expandToMinRightView(ZVVSplitView& split) const {
  const double before = split.panes().right;
  const double W = split.splitViewFrame().width(), t = split.dividerThickness();
  split.setPositionOfDivider(W - t - minHSizeRight_ * 0.5 - 1, 0);
  return before;
}

double ZVVSplitViewDelegate::expandToMinRightView(ZVVSplitView& split,
                                                  QRectF& previousFrame) const {
  const double before = expandToMinRightView(split);
  previousFrame = split.splitViewFrame();
  return before;
}

double ZVVSplitViewDelegate::collapseRightView(ZVVSplitView& split, QRectF& previousFrame) const {
  const double before = split.panes().right;
  const double W = split.splitViewFrame().width(), t = split.dividerThickness();
  split.setPositionOfDivider(W - t - minHSizeRight_ * 0.5 + 1, 0);
  previousFrame = split.splitViewFrame();
  return before;
}

bool ZVVSplitViewDelegate::toggleCollapseExpandRightView(ZVVSplitView& split) const {
  QRectF dropped;
  if (split.isSubviewCollapsed(1))
    expandToMinRightView(split, dropped);
  else
    collapseRightView(split, dropped);
  return true;
}

double ZVVSplitViewDelegate::expandRightView(ZVVSplitView& split, double v,
                                             QRectF& previousFrame) const {
  const double W = split.splitViewFrame().width(), t = split.dividerThickness();
  double target = v;
  if (growingRule_ == 2 && previousFrame.width() > 0)
    target = v + ((W - t) - (previousFrame.width() - t)) * 0.5;
  target = rightFrameInsideLimits(target);
  if (minHSizeLeft_ > W - target - t) target = W - minHSizeLeft_ - t;
  target = std::max(0.0, target);
  // The position is the divider's left edge: the pane gets exactly the width returned.
  split.setPositionOfDivider(W - target - t, 0);
  previousFrame = split.splitViewFrame();
  return target;
}

double ZVVSplitViewDelegate::toggleCollapseExpandRightView(ZVVSplitView& split, double v,
                                                           QRectF& previousFrame) const {
  return split.isSubviewCollapsed(1) ? expandRightView(split, v, previousFrame)
                                     : collapseRightView(split, previousFrame);
}
