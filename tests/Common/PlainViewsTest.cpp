#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <memory>

#include "Common/PlainViews.h"
#include "Common/SynchroScrollView.h"

namespace {

QImage grabbed(QWidget& view) {
  view.resize(40, 30);
  return view.grab().toImage();
}

TEST(PlainViewsTest, WhiteViewsFillAndTheFramedOneStrokesItsBoundsInGrey) {
  WhiteView white;
  ZVWhiteViewNoFrame noFrame;
  ZVWhiteView framed;
  for (QWidget* view : {static_cast<QWidget*>(&white), static_cast<QWidget*>(&noFrame)}) {
    const QImage image = grabbed(*view);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::white));
  }
  const QImage image = grabbed(framed);
  EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::white));
  for (QPoint edge : {QPoint(0, 15), QPoint(39, 15), QPoint(20, 0), QPoint(20, 29)})
    EXPECT_NEAR(image.pixelColor(edge).redF(), 0.5, 0.01) << edge.x() << "," << edge.y();
  EXPECT_TRUE(ZVDarkGrayView().isOpaque());
  EXPECT_FALSE(ZVGrayView().isOpaque());
}

// A scroll view with a 400 x 1000 document shown 100 x 100.
template <typename View>
std::unique_ptr<View> tallView() {
  auto view = std::make_unique<View>();
  view->resize(100, 100);
  view->verticalScrollBar()->setRange(0, 900);
  view->horizontalScrollBar()->setRange(0, 300);
  return view;
}

TEST(SynchroScrollViewTest, FollowsTheVerticalPositionOnly) {
  auto followed = tallView<QAbstractScrollArea>();
  auto follower = tallView<SynchroScrollView>();
  follower->setSynchronizedScrollView(followed.get());
  EXPECT_FALSE(follower->reverseScroll());
  followed->verticalScrollBar()->setValue(40);
  EXPECT_EQ(follower->verticalScrollBar()->value(), 40);
  followed->horizontalScrollBar()->setValue(70);
  EXPECT_EQ(follower->horizontalScrollBar()->value(), 0);
  follower->stopSynchronizing();
  followed->verticalScrollBar()->setValue(80);
  EXPECT_EQ(follower->verticalScrollBar()->value(), 40);
}

TEST(SynchroScrollViewTest, ContentRunningTheOtherWayIsMirrored) {
  auto followed = tallView<SynchroScrollView>();
  auto follower = tallView<SynchroScrollView>();
  followed->setContentFlipped(true);
  follower->setSynchronizedScrollView(followed.get());
  EXPECT_TRUE(follower->reverseScroll());
  followed->verticalScrollBar()->setValue(40);
  EXPECT_EQ(follower->verticalScrollBar()->value(), 860);
}

// Connecting the same view twice follows it once; connecting another drops the first; a
// followed view that goes away leaves nothing behind.
TEST(SynchroScrollViewTest, OneFollowedViewAtATime) {
  auto first = tallView<QAbstractScrollArea>();
  auto second = tallView<QAbstractScrollArea>();
  auto follower = tallView<SynchroScrollView>();
  int moves = 0;
  QObject::connect(follower->verticalScrollBar(), &QScrollBar::valueChanged, [&] { ++moves; });
  follower->setSynchronizedScrollView(first.get());
  follower->setSynchronizedScrollView(first.get());
  first->verticalScrollBar()->setValue(10);
  EXPECT_EQ(moves, 1);
  follower->setSynchronizedScrollView(second.get());
  first->verticalScrollBar()->setValue(20);
  EXPECT_EQ(follower->verticalScrollBar()->value(), 10);
  second->verticalScrollBar()->setValue(30);
  EXPECT_EQ(follower->verticalScrollBar()->value(), 30);
  second.reset();
  EXPECT_EQ(follower->synchronizedScrollView(), nullptr);
  follower->stopSynchronizing();
}

}  // namespace
