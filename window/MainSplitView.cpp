#include "window/MainSplitView.h"

#include <QResizeEvent>
#include <cmath>

MainSplitView::MainSplitView(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
  rules_.awakeFromNib();
  connect(this, &QSplitter::splitterMoved, this, &MainSplitView::subviewsResized);
}

void MainSplitView::applyLimits() {
  if (count() < 2) return;
  widget(0)->setMinimumWidth(rules_.minHSizeLeft());
  widget(0)->setMaximumWidth(rules_.maxHSizeLeft());
  widget(1)->setMinimumWidth(rules_.minHSizeRight());
  widget(1)->setMaximumWidth(rules_.maxHSizeRight());
  for (int pane : {0, 1}) setCollapsible(pane, rules_.canCollapseSubview(pane));
}

MainSplitView::Panes MainSplitView::panes() const {
  const QList<int> s = sizes();
  if (s.size() < 2) return {};
  return {double(s[0]), double(s[1])};
}

bool MainSplitView::isSubviewCollapsed(int pane) const {
  const QList<int> s = sizes();
  return pane >= 0 && pane < s.size() && s[pane] <= 0;
}

void MainSplitView::setPositionOfDivider(double position, int dividerIndex) {
  if (dividerIndex != 0 || count() < 2) return;
  setPanes(panesForDividerPosition(rules_, position, width(), dividerThickness()));
}

void MainSplitView::setPanes(const Panes& panes) {
  setSizes({int(std::lround(panes.left)), int(std::lround(panes.right))});
  Q_EMIT subviewsResized();
}

void MainSplitView::resizeEvent(QResizeEvent* event) {
  const Panes before = panes();
  QSplitter::resizeEvent(event);
  const double W = event->size().width();
  const double t = dividerThickness();
  if (W <= t) return;
  if (!laidOut_ || event->oldSize().width() <= 0) {
    // First layout: the right pane at the width asked for, else at its minimum.
    laidOut_ = true;
    const double right = initialRight_.value_or(rules_.minHSizeRight());
    initialRight_.reset();
    QRectF frame = splitViewFrame();
    if (right <= 0)
      rules_.collapseRightView(*this, frame);
    else
      rules_.expandRightView(*this, right, frame);
    return;
  }
  setPanes(rules_.resizeSubviews(before, W, t));
}
