#include "Common/SynchroScrollView.h"

#include <QScrollBar>

SynchroScrollView::~SynchroScrollView() { stopSynchronizing(); }

void SynchroScrollView::setSynchronizedScrollView(QAbstractScrollArea* view) {
  stopSynchronizing();
  if (view == nullptr) return;
  followed_ = view;
  following_ = connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
                       &SynchroScrollView::synchronizedViewContentBoundsDidChange);
  const auto* other = qobject_cast<const SynchroScrollView*>(view);
  reverseScroll_ = contentFlipped_ != (other != nullptr && other->isContentFlipped());
}

void SynchroScrollView::stopSynchronizing() {
  if (!followed_) return;
  disconnect(following_);
  followed_ = nullptr;
}

void SynchroScrollView::synchronizedViewContentBoundsDidChange() {
  if (!followed_) return;
  const QScrollBar* theirs = followed_->verticalScrollBar();
  QScrollBar* mine = verticalScrollBar();
  // A mirrored position counts from the other end of the content.
  const int target =
      reverseScroll_ ? theirs->maximum() - theirs->value() + theirs->minimum() : theirs->value();
  if (mine->value() == target) return;
  mine->setValue(target);
}
