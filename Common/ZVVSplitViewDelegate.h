#pragma once

#include <QRectF>

class ZVVSplitViewDelegate;

// A split view of two panes side by side (pane 0 left, pane 1 right, divider 0 between them)
// as the delegate's pane operations see it. The window's split view implements it; keeping it
// free of widgets lets the layout rules live in the core library.
class ZVVSplitView {
 public:
  // Pane widths; a collapsed pane has width 0. The divider lies between them.
  struct Panes {
    double left = 0;
    double right = 0;
    friend bool operator==(const Panes&, const Panes&) = default;
  };

  virtual ~ZVVSplitView() = default;

  virtual QRectF splitViewFrame() const = 0;
  virtual double dividerThickness() const = 0;
  virtual Panes panes() const = 0;
  virtual bool isSubviewCollapsed(int pane) const = 0;
  // Moves the divider's left edge to position, under the rule of panesForDividerPosition().
  virtual void setPositionOfDivider(double position, int dividerIndex) = 0;

  // Where a divider moved from code leaves the panes of a split view W wide (divider t
  // thick): the position is held between the delegate's limits; when it passes a limit by
  // more than half the pane's minimum width and the delegate lets that pane collapse, the
  // pane collapses; a smaller overshoot stops at the limit, the pane at its minimum width.
  // When the limits cannot both be met the left pane keeps its minimum.
  static Panes panesForDividerPosition(const ZVVSplitViewDelegate& rules, double position, double W,
                                       double t);
};

// The layout rules of a split view of two panes side by side: each pane's width limits, how
// a change of the split view's width is shared (the growing rule), which pane may collapse,
// and the operations that collapse a pane, open it at its minimum or open the right pane at a
// remembered width, acting on a split view through its divider position.
class ZVVSplitViewDelegate {
 public:
  using Panes = ZVVSplitView::Panes;

  // Until awakeFromNib() the limits are zero and the limit functions pass widths through.
  void awakeFromNib();
  bool awaked() const { return awaked_; }

  int minHSizeLeft() const { return minHSizeLeft_; }
  void setMinHSizeLeft(int v) { minHSizeLeft_ = v; }
  int maxHSizeLeft() const { return maxHSizeLeft_; }
  void setMaxHSizeLeft(int v) { maxHSizeLeft_ = v; }
  int minHSizeRight() const { return minHSizeRight_; }
  void setMinHSizeRight(int v) { minHSizeRight_ = v; }
  int maxHSizeRight() const { return maxHSizeRight_; }
  void setMaxHSizeRight(int v) { maxHSizeRight_ = v; }
  // 0: the right pane takes a change of width; 1: the left; 2: both half; other: none.
  int growingRule() const { return growingRule_; }
  void setGrowingRule(int v) { growingRule_ = v; }
  bool canCollapseLeft() const { return canCollapseLeft_; }
  void setCanCollapseLeft(bool v) { canCollapseLeft_ = v; }
  bool canCollapseRight() const { return canCollapseRight_; }
  void setCanCollapseRight(bool v) { canCollapseRight_ = v; }

  // The split view's questions.
  double constrainMinCoordinate(double proposed, int dividerIndex) const;
  double constrainMaxCoordinate(double splitWidth, double dividerThickness, double proposed,
                                int dividerIndex) const;
  bool canCollapseSubview(int pane) const;
  // The panes after the split view changed to width W (divider t thick).
  Panes resizeSubviews(const Panes& current, double W, double t) const;

  double leftFrameInsideLimits(double width) const;
  double rightFrameInsideLimits(double width) const;

  // Pane operations. The positions lie one point short of, or beyond, half the pane's minimum
  // width, so the split view's rule opens the pane at its minimum or collapses it.
  bool collapseLeftView(ZVVSplitView& split) const;
  bool expandToMinLeftView(ZVVSplitView& split) const;
  bool toggleCollapseLeftView(ZVVSplitView& split) const;
  // These return the right pane's width before the move.
  double expandToMinRightView(ZVVSplitView& split) const;
  double expandToMinRightView(ZVVSplitView& split, QRectF& previousFrame) const;
  double collapseRightView(ZVVSplitView& split, QRectF& previousFrame) const;
  bool toggleCollapseExpandRightView(ZVVSplitView& split) const;
  // Opens the right pane at the remembered width v; previousFrame is the split view's frame
  // when v was remembered (under rule 2 the pane also takes half of what the split view grew
  // since; an empty frame means nothing was remembered) and becomes the frame after the move.
  // Returns the width the pane gets.
  double expandRightView(ZVVSplitView& split, double v, QRectF& previousFrame) const;
  double toggleCollapseExpandRightView(ZVVSplitView& split, double v, QRectF& previousFrame) const;

 private:
  bool awaked_ = false;
  int minHSizeLeft_ = 0;
  int maxHSizeLeft_ = 0;
  int minHSizeRight_ = 0;
  int maxHSizeRight_ = 0;
  int growingRule_ = 0;
  bool canCollapseLeft_ = false;
  bool canCollapseRight_ = false;
};
