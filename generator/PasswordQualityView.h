#pragma once

#include <QColor>
#include <QWidget>

// The strength meter: one star fewer than the generator's estimate, 1 to 10 of them, red,
// yellow or green by how many, followed by the score out of 10; nothing while there is no
// password to rate.
class PasswordQualityView : public QWidget {
  Q_OBJECT

 public:
  enum class StarColour { Red, Yellow, Green };

  static constexpr int kStarWidth = 16;
  static constexpr int kStarHeight = 15;
  static constexpr int kStarPitch = 19;  // from one star's left edge to the next one's
  static constexpr int kStarBottom = 2;  // space below the stars

  explicit PasswordQualityView(QWidget* parent = nullptr);

  // Shows e - 1 stars, kept within 1..10.
  void SetQualityValue(int estimate);
  // No stars and no score, until the next SetQualityValue.
  void clearQualityValue();
  // The stars shown; 0 when cleared.
  int qualityValue() const { return qualityValue_; }
  static StarColour starColourFor(int stars);
  QString scoreText() const;

  // The star artwork, 16 x 15, in one of its three colours, drawn at the painter's scale.
  static void drawStar(QPainter& painter, QPointF topLeft, StarColour colour);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int textHeight() const;

  int qualityValue_ = 2;
};
