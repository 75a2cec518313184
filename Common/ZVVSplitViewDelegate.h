#pragma once

#include <utility>

// The layout rules of a split view of two panes side by side: each pane's width limits, how
// a change of the split view's width is shared (the growing rule), which pane may collapse,
// and the operations that collapse the right pane, open it at its minimum or at a remembered
// width. Pure arithmetic on widths; the window's split view applies the answers.
class ZVVSplitViewDelegate {
 public:
  // Pane widths; a collapsed pane has width 0. The divider lies between them.
  struct Panes {
    double left = 0;
    double right = 0;
    friend bool operator==(const Panes&, const Panes&) = default;
  };

  int minHSizeLeft = 200;
  int maxHSizeLeft = 99999;
  int minHSizeRight = 200;
  int maxHSizeRight = 99999;
  // 0: the right pane takes a change of width; 1: the left; 2: both half; other: none.
  int growingRule = 2;
  bool canCollapseLeft = true;
  bool canCollapseRight = true;

  double leftFrameInsideLimits(double width) const;
  double rightFrameInsideLimits(double width) const;

  // The panes after the split view changed to width W (divider t thick).
  Panes resizeSubviews(const Panes& current, double W, double t) const;

  // The right pane collapsed: the left takes all but the divider.
  static Panes collapseRightView(double W, double t) { return {W - t, 0}; }
  // The right pane at its minimum width, the left pane keeping its own minimum.
  Panes expandToMinRightView(double W, double t) const;
  // The right pane opened at the remembered width v, the split view having been previousW
  // wide when v was remembered: under rule 2 it also takes half of what the split view grew
  // since. The pane gets exactly the width returned with the panes.
  std::pair<Panes, double> expandRightView(double v, double previousW, double W, double t) const;
};
