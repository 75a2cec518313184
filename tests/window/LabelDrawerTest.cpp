#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

#include "Common/ZVLabelDrawer.h"

namespace {

QImage render(int w, int h, qreal scale, const std::function<void(QPainter&)>& draw) {
  QImage image(int(w * scale), int(h * scale), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  draw(painter);
  return image;
}

int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

int redPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qRed(image.pixel(x, y)) > 160 && qBlue(image.pixel(x, y)) < 100) ++n;
  return n;
}

TEST(LabelDrawer, ShapesKeepTheirInsetsAtEveryScale) {
  const LabelText none{QString(), QApplication::font(), Qt::red};
  for (qreal scale : {1.0, 2.0}) {
    const int s = int(scale);
    // Rounded rectangle: x from 1 to 98 (W - 3 wide), radius H / 2.
    const QImage rounded = render(100, 16, scale, [&](QPainter& p) {
      ZVLabelDrawerExt::drawString(p, none, 100, 16, Qt::blue, Qt::red);
    });
    EXPECT_EQ(alphaAt(rounded, 0, 8 * s), 0) << scale;
    EXPECT_GT(alphaAt(rounded, 50 * s, 8 * s), 250);
    EXPECT_GT(alphaAt(rounded, 97 * s, 8 * s), 200);
    EXPECT_EQ(alphaAt(rounded, 98 * s, 8 * s), 0);
    EXPECT_LT(alphaAt(rounded, 1 * s, 0), 60);  // a rounded corner, not a square one
    // Band with rounded ends: from the first circle at x = 1 to the second ending at W - 2.
    const QImage band = render(100, 16, scale, [&](QPainter& p) {
      ZVLabelDrawer::drawString(p, none, 100, 16, Qt::blue, Qt::red);
    });
    EXPECT_EQ(alphaAt(band, 0, 8 * s), 0);
    EXPECT_GT(alphaAt(band, 97 * s, 8 * s), 200);
    EXPECT_EQ(alphaAt(band, 98 * s, 8 * s), 0);
    EXPECT_GT(alphaAt(band, 50 * s, 0), 250);  // the band's middle is square
  }
}

TEST(LabelDrawer, TheTitleIsDrawnInTheTextColourAndCutToTheLabel) {
  QFont font = QApplication::font();
  font.setPixelSize(12);
  const auto draw = [&](const QString& title, int width) {
    return render(width, 16, 1, [&](QPainter& p) {
      ZVLabelDrawerExt::drawString(p, LabelText{title, font, Qt::red}, width, 16, Qt::blue,
                                   Qt::green);
    });
  };
  EXPECT_EQ(redPixels(draw(QString(), 100)), 0);
  EXPECT_GT(redPixels(draw(QStringLiteral("Banks"), 100)), 10);
  // A long title stays inside its text rectangle: nothing drawn right of x = W - m - 1.
  const QImage cut = draw(QStringLiteral("A very long category title indeed, far too long"), 100);
  for (int y = 0; y < cut.height(); ++y)
    for (int x = 96; x < cut.width(); ++x)
      EXPECT_FALSE(qRed(cut.pixel(x, y)) > 160 && qBlue(cut.pixel(x, y)) < 100) << x << "," << y;
  // Sizes smaller than the insets draw without faulting.
  draw(QStringLiteral("Banks"), 2);
}

// The rows of the image that hold the title's colour, as {first, last}; {-1, -1} for none.
std::pair<int, int> redRows(const QImage& image) {
  int first = -1, last = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qRed(image.pixel(x, y)) > 160 && qBlue(image.pixel(x, y)) < 100) {
        if (first < 0) first = y;
        last = y;
      }
  return {first, last};
}

// A title in capitals sits in the middle of its label, as much room above as below, in the
// shapes of the tables, of the detail view and the arrows, at every scale and height.
TEST(LabelDrawer, TheTitleIsCentredInItsLabelAtEveryScale) {
  using Draw = void (*)(QPainter&, const LabelText&, int, int, const QColor&, const QColor&);
  const std::pair<const char*, Draw> shapes[] = {
      {"rounded", &ZVLabelDrawerExt::drawString},
      {"band", &ZVLabelDrawer::drawString},
      {"left arrow", &ZVLabelDrawerExt::drawLeftArrowString}};
  QFont font = QApplication::font();
  for (const auto& shape : shapes) {
    const char* name = shape.first;
    const Draw draw = shape.second;
    for (qreal scale : {1.0, 2.0})
      for (int pointSize : {9, 13})
        for (int height : {16, 22, 30}) {
          font.setPointSize(pointSize);
          const QImage label = render(160, height, scale, [&](QPainter& p) {
            draw(p, LabelText{QStringLiteral("HEH"), font, Qt::red}, 160, height, Qt::blue,
                 Qt::green);
          });
          const auto [first, last] = redRows(label);
          ASSERT_GE(first, 0) << name;
          const int above = first, below = label.height() - 1 - last;
          // Within a point: the ink's antialiased edge and the middle of an odd height.
          EXPECT_LE(std::abs(above - below), int(scale))
              << name << " at scale " << scale << ", " << pointSize << " points in " << height
              << ": " << above << " above, " << below << " below";
        }
  }
}

// The arrows point their way, keep the title 8 points in from the left edge whatever the
// height, and draw a title without a colour of its own in the fore colour.
TEST(LabelDrawer, ArrowsPointTheirWayAndDrawTheTitleInTheForeColour) {
  using Draw = void (*)(QPainter&, const LabelText&, int, int, const QColor&, const QColor&);
  struct Case {
    const char* name;
    Draw draw;
    int pointX;  // the tip at half height
    int notchX;  // the notch at half height on the other side
  };
  const Case cases[] = {{"left", &ZVLabelDrawerExt::drawLeftArrowString, 2, 93},
                        {"right", &ZVLabelDrawerExt::drawRightArrowString, 96, 5}};
  QFont font = QApplication::font();
  font.setPixelSize(12);
  for (const Case& c : cases)
    for (int height : {16, 24}) {
      const QImage shape = render(100, height, 1, [&](QPainter& p) {
        c.draw(p, LabelText{QString(), font, QColor()}, 100, height, Qt::blue, Qt::red);
      });
      const int mid = height / 2;
      EXPECT_GT(alphaAt(shape, c.pointX, mid), 100) << c.name << height;
      EXPECT_LT(alphaAt(shape, c.pointX, 0), 60) << c.name << height;  // a tip, not a corner
      EXPECT_EQ(alphaAt(shape, c.notchX, mid), 0) << c.name << height;
      EXPECT_GT(alphaAt(shape, 50, mid), 250) << c.name << height;

      const QImage titled = render(100, height, 1, [&](QPainter& p) {
        c.draw(p, LabelText{QStringLiteral("WWWW"), font, QColor()}, 100, height, Qt::blue,
               Qt::red);
      });
      int leftmostRed = 100;
      for (int y = 0; y < titled.height(); ++y)
        for (int x = 0; x < titled.width(); ++x)
          if (qRed(titled.pixel(x, y)) > 160 && qBlue(titled.pixel(x, y)) < 100)
            leftmostRed = std::min(leftmostRed, x);
      EXPECT_GE(leftmostRed, 8) << c.name << height;
      EXPECT_LE(leftmostRed, 10) << c.name << height;
    }
}

}  // namespace
