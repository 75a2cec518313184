#pragma once

#include <QSplitter>
#include <optional>

#include "Common/ZVVSplitViewDelegate.h"

// The document window's split view: record table left, detail view right, laid out by the
// split-view rules (limits, growing rule, only the right pane collapsible) instead of
// QSplitter's stretch factors.
class MainSplitView : public QSplitter {
  Q_OBJECT

 public:
  explicit MainSplitView(QWidget* parent = nullptr);

  ZVVSplitViewDelegate& rules() { return rules_; }
  // Applies the rules' limits to the panes (minimum and maximum widths, collapsing).
  void applyLimits();

  ZVVSplitViewDelegate::Panes panes() const;
  void setPanes(const ZVVSplitViewDelegate::Panes& panes);
  double dividerThickness() const { return handleWidth(); }
  bool isRightCollapsed() const { return panes().right <= 0; }

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
