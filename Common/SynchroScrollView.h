#pragma once

#include <QAbstractScrollArea>
#include <QMetaObject>
#include <QPointer>

// A scroll view that follows the vertical scrolling of another: two panes that show the rows
// of one list side by side stay on the same rows. The horizontal position stays its own. When
// one of the two shows its content bottom-up, the position is mirrored.
class SynchroScrollView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  using QAbstractScrollArea::QAbstractScrollArea;
  ~SynchroScrollView() override;

  // Follows that view from now on, in place of any other; nothing stops following.
  void setSynchronizedScrollView(QAbstractScrollArea* view);
  QAbstractScrollArea* synchronizedScrollView() const { return followed_; }
  void stopSynchronizing();

  // Whether this view's content runs bottom-up; a plain scroll area's runs top-down.
  void setContentFlipped(bool flipped) { contentFlipped_ = flipped; }
  bool isContentFlipped() const { return contentFlipped_; }
  bool reverseScroll() const { return reverseScroll_; }

  // Takes the followed view's vertical position.
  void synchronizedViewContentBoundsDidChange();

 private:
  QPointer<QAbstractScrollArea> followed_;
  QMetaObject::Connection following_;
  bool contentFlipped_ = false;
  bool reverseScroll_ = false;
};
