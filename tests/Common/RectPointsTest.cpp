#include <gtest/gtest.h>

#include "Common/RectPoints.h"
#include "Common/ZVExtendedBezierPath.h"

namespace {

TEST(RectPointsTest, NamedPointsWithYUp) {
  const Rect r{10, 20, 100, 40};
  struct Case {
    const char* name;
    QPointF got;
    QPointF expected;
  };
  const Case cases[] = {
      {"center", rectCenter(r), {60, 40}},
      {"middle", rectMiddle(r), {60, 40}},
      {"top center", rectTopCenter(r), {60, 60}},
      {"top left", rectTopLeft(r), {10, 60}},
      {"top right", rectTopRight(r), {110, 60}},
      {"left center", rectLeftCenter(r), {10, 40}},
      {"bottom center", rectBottomCenter(r), {60, 20}},
      {"bottom left", rectBottomLeft(r), {10, 20}},
      {"bottom right", rectBottomRight(r), {110, 20}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(ZVExtendedBezierPathTest, RoundRectOutlineKeepsTheRectangleAndRoundsCorners) {
  const Rect r{10, 20, 100, 40};
  const double radius = 8;
  const QPainterPath path = ZVExtendedBezierPath::bezierPathWithRoundRectInRect(r, radius);
  EXPECT_EQ(path.boundingRect(), QRectF(10, 20, 100, 40));
  // Straight runs: edge midpoints are inside, the corners themselves are cut away.
  for (QPointF inside : {QPointF(60, 20.5), QPointF(60, 59.5), QPointF(10.5, 40),
                         QPointF(109.5, 40), QPointF(60, 40), QPointF(12.5, 22.5)}) {
    EXPECT_TRUE(path.contains(inside)) << inside.x() << "," << inside.y();
  }
  for (QPointF corner :
       {QPointF(10.5, 20.5), QPointF(109.5, 20.5), QPointF(109.5, 59.5), QPointF(10.5, 59.5)}) {
    EXPECT_FALSE(path.contains(corner)) << corner.x() << "," << corner.y();
  }
  // The arcs start where the runs end: one closed outline, not several pieces.
  EXPECT_EQ(path.toSubpathPolygons().size(), 1);
  // Area of a rounded rectangle: w*h - (4 - pi) r^2 (square corners would add 55; the
  // flattened arcs lose a few units).
  const QPolygonF polygon = path.toFillPolygon();
  double area = 0;
  for (int i = 0; i < polygon.size(); ++i) {
    const QPointF a = polygon[i];
    const QPointF b = polygon[(i + 1) % polygon.size()];
    area += a.x() * b.y() - b.x() * a.y();
  }
  EXPECT_NEAR(std::abs(area) / 2, 100 * 40 - (4 - M_PI) * radius * radius, 15.0);
}

}  // namespace
