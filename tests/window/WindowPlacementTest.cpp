// The window's place on its screen, from rectangles alone: no display needed.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "window/WindowPlacement.h"

namespace {

// A screen of 1600 x 1000 with a panel of 40 along its top.
const QRect kAvailable(0, 40, 1600, 960);

std::string text(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

TEST(WindowPlacement, AWindowIsMovedThenCutToLieInsideTheRoomItsFrameLeaves) {
  const QMargins frame(1, 24, 1, 4);
  const QRect area = WindowPlacement::clientArea(kAvailable, frame);
  ASSERT_EQ(text(area), "1,64 1598x932");
  const struct {
    const char* what;
    QRect window;
    const char* expected;
  } cases[] = {
      {"inside stays", QRect(100, 100, 800, 600), "100,100 800x600"},
      {"title bar under the panel", QRect(100, 10, 800, 600), "100,64 800x600"},
      {"off to the lower right", QRect(1500, 900, 800, 600), "799,396 800x600"},
      {"off to the left", QRect(-3000, 200, 800, 600), "1,200 800x600"},
      {"taller than the room", QRect(100, 100, 800, 2000), "100,64 800x932"},
      {"larger than the screen", QRect(0, 0, 5000, 4000), "1,64 1598x932"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(text(WindowPlacement::fitted(c.window, area)), c.expected) << c.what;
  // No screen known: nothing to fit in.
  EXPECT_EQ(text(WindowPlacement::fitted(QRect(-5, -5, 10, 10), QRect())), "-5,-5 10x10");
}

TEST(WindowPlacement, TheFrameIsWhatLiesBetweenTheFrameGeometryAndTheWindow) {
  EXPECT_EQ(WindowPlacement::frameOf(QRect(10, 20, 802, 529), QRect(11, 44, 800, 500)),
            QMargins(1, 24, 1, 5));
  // Before the desktop framed it the two are one.
  EXPECT_EQ(WindowPlacement::frameOf(QRect(10, 20, 800, 500), QRect(10, 20, 800, 500)), QMargins());
}

TEST(WindowPlacement, TheLockedWindowKeepsItsCornerOrIsCentredAndShrinksToTheScreen) {
  const QSize locked(820, 460);
  const QRect area = WindowPlacement::clientArea(kAvailable, QMargins(1, 24, 1, 4));
  EXPECT_EQ(text(WindowPlacement::lockedPlace(QRect(30, 70, 1000, 700), locked, area, false)),
            "30,70 820x460");
  EXPECT_EQ(text(WindowPlacement::lockedPlace(QRect(30, 70, 1000, 700), locked, area, true)),
            "390,300 820x460");
  // Low on the screen it moves up, keeping its left edge.
  EXPECT_EQ(text(WindowPlacement::lockedPlace(QRect(30, 800, 1000, 700), locked, area, false)),
            "30,536 820x460");
  // A screen smaller than the locked size.
  const QRect small(0, 0, 640, 400);
  EXPECT_EQ(text(WindowPlacement::lockedPlace(QRect(50, 50, 900, 600), locked, small, true)),
            "0,0 640x400");
  EXPECT_EQ(WindowPlacement::minimumWithin(QSize(796, 479), small), QSize(640, 400));
  EXPECT_EQ(WindowPlacement::minimumWithin(QSize(796, 479), QRect()), QSize(796, 479));
}

// Before the desktop tells the frame, a reserve stands for it: the window placed against no
// frame at all has its bottom edge below the screen once the title bar comes.
TEST(WindowPlacement, AFrameNotYetToldIsReservedFor) {
  const QMargins reserve(4, 24, 4, 4);
  EXPECT_EQ(WindowPlacement::frameAllowance(QMargins(), reserve), reserve);
  EXPECT_EQ(WindowPlacement::frameAllowance(QMargins(1, 10, 1, 3), reserve), QMargins(1, 10, 1, 3));
  // At device scale 2 a 1600 x 1000 screen is 800 x 500: a window 479 high placed against no
  // frame ran off it; against the reserve its frame, 1 + 10 + 3 told later, lies on it.
  const QRect screen(0, 0, 800, 500);
  const QRect area =
      WindowPlacement::clientArea(screen, WindowPlacement::frameAllowance(QMargins(), reserve));
  const QRect placed = WindowPlacement::fitted(QRect(0, 0, 794, 470), area);
  EXPECT_TRUE(screen.contains(placed.marginsAdded(QMargins(1, 10, 1, 3)))) << text(placed);
}

// Qt tells the frame rounded to the nearest logical pixel; the room kept must hold the real
// one, or the bottom edge of a window fitted against it lies a device pixel below the screen.
TEST(WindowPlacement, AToldFrameHoldsTheDesktopsAtEveryScale) {
  const QMargins extents(1, 20, 1, 5);  // device pixels: left, top, right, bottom
  const auto rounded = [&](double dpr) {
    return QMargins(qRound(extents.left() / dpr), qRound(extents.top() / dpr),
                    qRound(extents.right() / dpr), qRound(extents.bottom() / dpr));
  };
  for (const double dpr : {1.0, 1.25, 1.5, 2.0, 3.0}) {
    const QMargins told = WindowPlacement::toldFrame(rounded(dpr), dpr);
    EXPECT_GE(told.left() * dpr, extents.left()) << dpr;
    EXPECT_GE(told.top() * dpr, extents.top()) << dpr;
    EXPECT_GE(told.right() * dpr, extents.right()) << dpr;
    EXPECT_GE(told.bottom() * dpr, extents.bottom()) << dpr;
  }
  // Whole and half pixels are told as they are: no room lost at scales 1 and 2.
  EXPECT_EQ(WindowPlacement::toldFrame(QMargins(1, 20, 1, 5), 1.0), QMargins(1, 20, 1, 5));
  EXPECT_EQ(WindowPlacement::toldFrame(QMargins(1, 10, 1, 3), 2.0), QMargins(1, 10, 1, 3));
  EXPECT_EQ(WindowPlacement::toldFrame(QMargins(), 1.5), QMargins());
}

TEST(WindowPlacement, ANewWindowCascadesOffTheOpenOnesAndWrapsWithinTheScreen) {
  const QRect area(0, 0, 1600, 1000);
  const QRect window(400, 200, 800, 600);
  const struct {
    const char* what;
    std::vector<QPoint> taken;
    QPoint expected;
  } cases[] = {
      {"none open", {}, {400, 200}},
      {"another elsewhere", {QPoint(40, 40)}, {400, 200}},
      {"one on the spot", {QPoint(400, 200)}, {424, 224}},
      {"one nudged by its frame", {QPoint(402, 201)}, {426, 225}},
      {"two in a cascade", {QPoint(400, 200), QPoint(424, 224)}, {448, 248}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WindowPlacement::cascaded(window, c.taken, 24, area), c.expected) << c.what;
  // At the lower right the next step would leave the screen: back to its left and top edges.
  const QRect low(790, 390, 800, 600);
  EXPECT_EQ(WindowPlacement::cascaded(low, {QPoint(790, 390)}, 24, area), QPoint(0, 0));
  // No step, no walk.
  EXPECT_EQ(WindowPlacement::cascaded(window, {QPoint(400, 200)}, 0, area), QPoint(400, 200));
}

TEST(WindowPlacement, StoredFramesHaveTheirOriginAtTheLowerLeftAndAbsurdOnesAreRefused) {
  const QRect geometry(40, 100, 900, 620);
  const Rect stored = WindowPlacement::storedFrame(geometry, 1000);
  EXPECT_EQ(stored, (Rect{40, 280, 900, 620}));
  EXPECT_EQ(WindowPlacement::fromStoredFrame(stored, 1000), geometry);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Rect& bad : {Rect{0, 0, 0, 600}, Rect{0, 0, 900, -1}, Rect{inf, 0, 900, 600},
                          Rect{0, nan, 900, 600}, Rect{0, 0, 2e6, 600}, Rect{-2e6, 0, 900, 600}})
    EXPECT_FALSE(WindowPlacement::fromStoredFrame(bad, 1000))
        << bad.x << "," << bad.y << " " << bad.width << "x" << bad.height;
}

}  // namespace
