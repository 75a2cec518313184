#include "Common/PlainViews.h"

#include <QPainter>

void WhiteView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
}

void ZVWhiteView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QPen(QColor::fromRgbF(0.5, 0.5, 0.5), 1));
  painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

ZVDarkGrayView::ZVDarkGrayView(QWidget* parent) : QWidget(parent) {
  // It paints every pixel it covers (with nothing), so Qt need not paint what lies behind.
  setAttribute(Qt::WA_OpaquePaintEvent);
}
