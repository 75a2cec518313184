#include "window/MainSplitView.h"

#include <QResizeEvent>
#include <cmath>

MainSplitView::MainSplitView(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
  connect(this, &QSplitter::splitterMoved, this, &MainSplitView::subviewsResized);
}

void MainSplitView::applyLimits() {
  if (count() < 2) return;
  widget(0)->setMinimumWidth(rules_.minHSizeLeft);
  widget(0)->setMaximumWidth(rules_.maxHSizeLeft);
  widget(1)->setMinimumWidth(rules_.minHSizeRight);
  widget(1)->setMaximumWidth(rules_.maxHSizeRight);
  setCollapsible(0, rules_.canCollapseLeft);
  setCollapsible(1, rules_.canCollapseRight);
}

ZVVSplitViewDelegate::Panes MainSplitView::panes() const {
  const QList<int> s = sizes();
  if (s.size() < 2) return {};
  return {double(s[0]), double(s[1])};
}

void MainSplitView::setPanes(const ZVVSplitViewDelegate::Panes& panes) {
  setSizes({int(std::lround(panes.left)), int(std::lround(panes.right))});
  Q_EMIT subviewsResized();
}

void MainSplitView::resizeEvent(QResizeEvent* event) {
  const ZVVSplitViewDelegate::Panes before = panes();
  QSplitter::resizeEvent(event);
  const double W = event->size().width();
  const double t = dividerThickness();
  if (W <= t) return;
  if (!laidOut_ || event->oldSize().width() <= 0) {
    // First layout: the right pane at the width asked for, else at its minimum.
    laidOut_ = true;
    const double right = initialRight_.value_or(rules_.minHSizeRight);
    initialRight_.reset();
    setPanes(right <= 0 ? ZVVSplitViewDelegate::collapseRightView(W, t)
                        : rules_.expandRightView(right, W, W, t).first);
    return;
  }
  setPanes(rules_.resizeSubviews(before, W, t));
}
