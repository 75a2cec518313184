#include "Common/ZVVSplitViewDelegate.h"

#include <algorithm>

double ZVVSplitViewDelegate::leftFrameInsideLimits(double width) const {
  if (width < minHSizeLeft) return minHSizeLeft;
  if (width > maxHSizeLeft) return maxHSizeLeft;
  return width;
}

double ZVVSplitViewDelegate::rightFrameInsideLimits(double width) const {
  if (width < minHSizeRight) return minHSizeRight;
  if (width > maxHSizeRight) return maxHSizeRight;
  return width;
}

ZVVSplitViewDelegate::Panes ZVVSplitViewDelegate::resizeSubviews(const Panes& current, double W,
                                                                 double t) const {
  if (current.right <= 0) return {W - t, 0};
  if (current.left <= 0) return {0, W - t};
  double wL = current.left, wR = current.right;
  switch (growingRule) {
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

ZVVSplitViewDelegate::Panes ZVVSplitViewDelegate::expandToMinRightView(double W, double t) const {
  const double right = std::max(0.0, std::min<double>(minHSizeRight, W - minHSizeLeft - t));
  return {W - right - t, right};
}

std::pair<ZVVSplitViewDelegate::Panes, double> ZVVSplitViewDelegate::expandRightView(
    double v, double previousW, double W, double t) const {
  double target = v;
  if (growingRule == 2) target = v + ((W - t) - (previousW - t)) * 0.5;
  target = rightFrameInsideLimits(target);
  if (minHSizeLeft > W - target - t) target = W - minHSizeLeft - t;
  target = std::max(0.0, target);
  return {{W - target - t, target}, target};
}
