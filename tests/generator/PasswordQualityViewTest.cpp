#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <climits>

#include "generator/PasswordQualityView.h"

namespace {

using Colour = PasswordQualityView::StarColour;

TEST(PasswordQualityViewTest, ShowsOneStarFewerThanTheEstimateWithinOneToTen) {
  PasswordQualityView view;
  EXPECT_EQ(view.qualityValue(), 2);
  EXPECT_EQ(view.scoreText(), QStringLiteral("2/10"));
  struct Case {
    int estimate, stars;
    Colour colour;
    const char* text;
  };
  const Case cases[] = {
      {INT_MIN, 1, Colour::Red, "1/10"},     {-4, 1, Colour::Red, "1/10"},
      {0, 1, Colour::Red, "1/10"},           {1, 1, Colour::Red, "1/10"},
      {2, 1, Colour::Red, "1/10"},           {3, 2, Colour::Red, "2/10"},
      {4, 3, Colour::Yellow, "3/10"},        {5, 4, Colour::Yellow, "4/10"},
      {6, 5, Colour::Green, "5/10"},         {10, 9, Colour::Green, "9/10"},
      {11, 10, Colour::Green, "10/10"},      {17, 10, Colour::Green, "10/10"},
      {INT_MAX, 10, Colour::Green, "10/10"},
  };
  for (const Case& c : cases) {
    view.SetQualityValue(c.estimate);
    EXPECT_EQ(view.qualityValue(), c.stars) << c.estimate;
    EXPECT_EQ(PasswordQualityView::starColourFor(view.qualityValue()), c.colour) << c.estimate;
    EXPECT_EQ(view.scoreText(), QString::fromLatin1(c.text)) << c.estimate;
  }
}

// Which of the three inks a pixel is in, by hue; none for the background and the text.
std::optional<Colour> inkAt(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  if (c.hsvSaturation() < 120 || c.value() < 90) return std::nullopt;
  const int hue = c.hsvHue();
  if (hue < 20 || hue > 340) return Colour::Red;
  if (hue >= 35 && hue <= 60) return Colour::Yellow;
  if (hue >= 90 && hue <= 150) return Colour::Green;
  return std::nullopt;
}

// The stars as drawn, at either scale: read along their middle line, each is one run of its
// ink starting at a multiple of 19 points, and there are as many as the meter shows.
TEST(PasswordQualityViewTest, DrawsItsStarsNineteenPointsApartAtEveryScale) {
  PasswordQualityView view;
  view.resize(view.sizeHint());
  for (double scale : {1.0, 2.0}) {
    for (int estimate : {1, 3, 5, 6, 11}) {
      view.SetQualityValue(estimate);
      const int n = view.qualityValue();
      QImage image((QSizeF(view.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(scale);
      image.fill(Qt::white);
      view.render(&image);

      const double middle =
          view.height() - PasswordQualityView::kStarBottom - PasswordQualityView::kStarHeight / 2.0;
      const int y = int(middle * scale);
      std::vector<int> starts;
      bool inside = false;
      for (int x = 0; x < image.width(); ++x) {
        const auto ink = inkAt(image, x, y);
        if (ink && !inside) {
          starts.push_back(x);
          EXPECT_EQ(*ink, PasswordQualityView::starColourFor(n)) << "estimate " << estimate;
        }
        inside = ink.has_value();
      }
      ASSERT_EQ(int(starts.size()), n) << "estimate " << estimate << " scale " << scale;
      EXPECT_LE(starts[0] / scale, 4.0);
      for (int i = 1; i < n; ++i)
        EXPECT_NEAR((starts[i] - starts[0]) / scale, PasswordQualityView::kStarPitch * i,
                    1.0 / scale)
            << i;
      // The star is a picture, not a blob: its tip is narrow, its middle wide.
      const auto widthAt = [&](double row) {
        int w = 0;
        for (int x = 0; x < int(PasswordQualityView::kStarWidth * scale); ++x)
          w += inkAt(image, x, int(row * scale)).has_value();
        return w / scale;
      };
      const double top =
          view.height() - PasswordQualityView::kStarBottom - PasswordQualityView::kStarHeight;
      EXPECT_LT(widthAt(top + 2.5), 4.0);
      EXPECT_GT(widthAt(middle - 1.5), 11.0);
    }
  }
}

}  // namespace
