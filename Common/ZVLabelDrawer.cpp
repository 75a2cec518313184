#include "Common/ZVLabelDrawer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <initializer_list>

#include "Common/FontMetricsMeasurer.h"
#include "Common/ZVStringUtils.h"

namespace {
// A rectangle given bottom-up (origin at the lower left) in a label of height H, as Qt's
// top-down rectangle.
QRectF flipped(double x, double y, double w, double h, int H) { return {x, H - y - h, w, h}; }

// The title from the left of rect, its capitals centred on the label's middle line: centring
// the font's whole line (descent included) would set it high, the more so the larger the scale.
void drawText(QPainter& painter, const LabelText& text, const QColor& color, const QRectF& rect,
              int H) {
  if (text.string.isEmpty() || rect.width() <= 0) return;
  const FontMetricsMeasurer measurer(text.font);
  const QString cut = ZVStringUtils::trimStringToFit(text.string, int(rect.width()), measurer);
  painter.setFont(text.font);
  painter.setPen(color);
  const QFontMetricsF metrics(text.font, painter.device());
  painter.drawText(QPointF(rect.left(), (H + metrics.capHeight()) / 2.0), cut);
}

// An arrow's polygon given bottom-up, and its title 8 points from the left edge.
void drawArrow(QPainter& painter, const LabelText& text, int H, const QColor& backColor,
               const QColor& foreColor, std::initializer_list<QPointF> corners, int W) {
  QPolygonF polygon;
  for (const QPointF& corner : corners) polygon << QPointF(corner.x(), H - corner.y());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(backColor);
  painter.drawPolygon(polygon);
  const QColor color = text.color.isValid() ? text.color : foreColor;
  drawText(painter, text, color, flipped(8, 1, W - 16, H, H), H);
  painter.restore();
}

}  // namespace

void ZVLabelDrawerExt::drawLeftArrowString(QPainter& painter, const LabelText& text, int W, int H,
                                           const QColor& backColor, const QColor& foreColor) {
  const double half = 0.5 * H;
  drawArrow(
      painter, text, H, backColor, foreColor,
      {{1, half}, {7, double(H)}, {W - 3.0, double(H)}, {W - 9.0, half}, {W - 3.0, 0}, {7, 0}}, W);
}

void ZVLabelDrawerExt::drawRightArrowString(QPainter& painter, const LabelText& text, int W, int H,
                                            const QColor& backColor, const QColor& foreColor) {
  const double half = 0.5 * H;
  drawArrow(
      painter, text, H, backColor, foreColor,
      {{7, half}, {1, double(H)}, {W - 9.0, double(H)}, {W - 3.0, half}, {W - 9.0, 0}, {1, 0}}, W);
}

void ZVLabelDrawerExt::drawString(QPainter& painter, const LabelText& text, int W, int H,
                                  const QColor& backColor, const QColor&) {
  const int r = H / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(backColor);
  painter.drawRoundedRect(flipped(1, 0, W - 3, H, H), r, r);
  const double m = 0.6 * r;
  drawText(painter, text, text.color, flipped(1 + m, 1, W - 2 * m - 2, H, H), H);
  painter.restore();
}

void ZVLabelDrawer::drawString(QPainter& painter, const LabelText& text, int W, int H,
                               const QColor& backColor, const QColor&) {
  const int r = H / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(backColor);
  painter.drawRect(flipped(r + 1, 0, W - H, H, H));
  painter.drawEllipse(flipped(1, 0, H, H, H));
  painter.drawEllipse(flipped(W - H - 2, 0, H, H, H));
  const double m = 0.6 * r;
  drawText(painter, text, text.color, flipped(1 + m, 1, W - 2 * m - 2, H, H), H);
  painter.restore();
}
