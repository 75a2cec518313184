#pragma once

#include <QSplitter>
#include <optional>

#include "Common/ZVVSplitViewDelegate.h"

// The document window's split view: record table left, detail view right, laid out by the
// split-view rules (limits, growing rule, only the right pane collapsible) instead of
// QSplitter's stretch factors. A divider position set from code collapses a pane or stops at
// its limit as the rules' pane operations expect.
class MainSplitView : public QSplitter, public ZVVSplitView {
  Q_OBJECT

 public:
  explicit MainSplitView(QWidget* parent = nullptr);

  ZVVSplitViewDelegate& rules() { return rules_; }
  // Applies the rules' limits to the panes (minimum and maximum widths, collapsing).
  void applyLimits();

  QRectF splitViewFrame() const override { return QRectF(geometry()); }
  double dividerThickness() const override { return handleWidth(); }
  Panes panes() const override;
  bool isSubviewCollapsed(int pane) const override;
  void setPositionOfDivider(double position, int dividerIndex) override;

  void setPanes(const Panes& panes);
  bool isRightCollapsed() const { return isSubviewCollapsed(1); }

  // Before the first layout, the right pane width to open at.
  void setInitialRightWidth(double width) { initialRight_ = width; }

 Q_SIGNALS:
  // The panes changed size: dragged, laid out after a resize, or set.
  void subviewsResized();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ZVVSplitViewDelegate rules_;
  std::optional<double> initialRight_;
  bool laidOut_ = false;
};
