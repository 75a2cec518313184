#include "window/CopyNotice.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

CopyNotice::CopyNotice(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  QFont big = font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  setFont(big);
  timer_.setObjectName(QStringLiteral("hideTimer"));
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
  parent->installEventFilter(this);
  hide();
}

void CopyNotice::showNotice(const QString& text, int tenths) {
  text_ = text;
  place();
  show();
  raise();
  update();
  timer_.start(tenths * 100);
}

void CopyNotice::place() {
  const QFontMetrics fm(font());
  const QSize size(fm.horizontalAdvance(text_) + 4 * fm.height(), 3 * fm.height());
  QRect r(QPoint(), size);
  r.moveCenter(parentWidget()->rect().center());
  setGeometry(r);
}

bool CopyNotice::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) place();
  return false;
}

void CopyNotice::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  const qreal radius = height() / 4.0;
  shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  p.fillPath(shape, QColor(30, 30, 30, 200));
  p.setPen(Qt::white);
  p.drawText(rect(), Qt::AlignCenter, text_);
}
