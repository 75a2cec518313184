#include "Common/ZVLabelDrawer.h"

#include <QPainter>

#include "Common/FontMetricsMeasurer.h"
#include "Common/ZVStringUtils.h"

namespace {
// A rectangle given bottom-up (origin at the lower left) in a label of height H, as Qt's
// top-down rectangle.
QRectF flipped(double x, double y, double w, double h, int H) { return {x, H - y - h, w, h}; }

void drawText(QPainter& painter, const LabelText& text, const QColor& color, const QRectF& rect) {
  if (text.string.isEmpty() || rect.width() <= 0) return;
  const FontMetricsMeasurer measurer(text.font);
  const QString cut = ZVStringUtils::trimStringToFit(text.string, int(rect.width()), measurer);
  painter.setFont(text.font);
  painter.setPen(color);
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cut);
}

}  // namespace

void ZVLabelDrawerExt::drawString(QPainter& painter, const LabelText& text, int W, int H,
                                  const QColor& backColor) {
  const int r = H / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(backColor);
  painter.drawRoundedRect(flipped(1, 0, W - 3, H, H), r, r);
  const double m = 0.6 * r;
  drawText(painter, text, text.color, flipped(1 + m, 1, W - 2 * m - 2, H, H));
  painter.restore();
}

void ZVLabelDrawer::drawString(QPainter& painter, const LabelText& text, int W, int H,
                               const QColor& backColor) {
  const int r = H / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(backColor);
  painter.drawRect(flipped(r + 1, 0, W - H, H, H));
  painter.drawEllipse(flipped(1, 0, H, H, H));
  painter.drawEllipse(flipped(W - H - 2, 0, H, H, H));
  const double m = 0.6 * r;
  drawText(painter, text, text.color, flipped(1 + m, 1, W - 2 * m - 2, H, H));
  painter.restore();
}
