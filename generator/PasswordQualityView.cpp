#include "generator/PasswordQualityView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace {

constexpr int kMaxStars = 10;
constexpr double kTextPointSize = 11.0;

// A five-pointed star filling the 16 x 15 box, point up, with room for its outline.
const QPainterPath& starPath() {
  static const QPainterPath path = [] {
    constexpr double outer = 7.6;
    constexpr double inner = outer * 0.45;
    const QPointF centre(8.0, 0.6 + outer);
    QPainterPath p;
    for (int i = 0; i < 10; ++i) {
      const double r = i % 2 == 0 ? outer : inner;
      const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
      const QPointF point = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
      if (i == 0)
        p.moveTo(point);
      else
        p.lineTo(point);
    }
    p.closeSubpath();
    return p;
  }();
  return path;
}

struct StarInks {
  QColor light, body, edge;
};

StarInks inksFor(PasswordQualityView::StarColour colour) {
  switch (colour) {
    case PasswordQualityView::StarColour::Red:
      return {QColor(0xff, 0x8a, 0x80), QColor(0xe0, 0x2e, 0x24), QColor(0x9a, 0x14, 0x0e)};
    case PasswordQualityView::StarColour::Yellow:
      return {QColor(0xff, 0xec, 0x8a), QColor(0xf4, 0xbe, 0x10), QColor(0xa8, 0x74, 0x00)};
    case PasswordQualityView::StarColour::Green:
      return {QColor(0xa6, 0xe8, 0x8c), QColor(0x3c, 0xb0, 0x3c), QColor(0x1e, 0x6e, 0x22)};
  }
  return {};
}

QFont scoreFont(QFont font) {
  font.setPointSizeF(kTextPointSize);
  return font;
}

}  // namespace

PasswordQualityView::PasswordQualityView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PasswordQualityView::SetQualityValue(int estimate) {
  // Widened first: the estimate of the smallest int has no integer one below it.
  const qint64 v = std::clamp<qint64>(qint64(estimate) - 1, 1, kMaxStars);
  qualityValue_ = static_cast<int>(v);
  update();
}

void PasswordQualityView::clearQualityValue() {
  qualityValue_ = 0;
  update();
}

PasswordQualityView::StarColour PasswordQualityView::starColourFor(int stars) {
  if (stars <= 2) return StarColour::Red;
  if (stars <= 4) return StarColour::Yellow;
  return StarColour::Green;
}

QString PasswordQualityView::scoreText() const {
  if (qualityValue_ == 0) return {};
  return QStringLiteral("%1/10").arg(qualityValue_);
}

void PasswordQualityView::drawStar(QPainter& painter, QPointF topLeft, StarColour colour) {
  const StarInks inks = inksFor(colour);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(topLeft);
  QLinearGradient fill(0, 0, 0, kStarHeight);
  fill.setColorAt(0.0, inks.light);
  fill.setColorAt(0.55, inks.body);
  fill.setColorAt(1.0, inks.body);
  painter.setPen(QPen(inks.edge, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(fill);
  painter.drawPath(starPath());
  painter.restore();
}

int PasswordQualityView::textHeight() const {
  return std::max(kStarHeight, QFontMetrics(scoreFont(font())).height());
}

QSize PasswordQualityView::sizeHint() const {
  const QFontMetrics metrics(scoreFont(font()));
  const int width = kStarPitch * kMaxStars + metrics.horizontalAdvance(QStringLiteral("10/10")) + 2;
  // The text is centred on the stars' middle line.
  const int starMiddle = kStarBottom + (kStarHeight + 1) / 2;
  const int height = std::max(kStarBottom + kStarHeight, starMiddle + (textHeight() + 1) / 2);
  return {width, height};
}

void PasswordQualityView::paintEvent(QPaintEvent*) {
  const int n = qualityValue_;
  if (n == 0) return;
  QPainter painter(this);
  // Laid out from the bottom edge up, so extra height goes above the meter.
  const double starTop = height() - kStarBottom - kStarHeight;
  const StarColour colour = starColourFor(n);
  for (int i = 0; i < n; ++i) drawStar(painter, QPointF(kStarPitch * i, starTop), colour);

  const int th = textHeight();
  const QRectF box(kStarPitch * n, starTop + kStarHeight / 2.0 - th / 2.0, kStarPitch * n + 32, th);
  painter.setFont(scoreFont(font()));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, scoreText());
}
