#include "window/LabelCell.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

void paintLabelCell(QPainter& painter, const QStyleOptionViewItem& background,
                    const LabelText& text, const QColor& back) {
  QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, &painter,
                                     background.widget);
  const QRect cell = background.rect;
  const int w = cell.width() - 2;
  const int h = cell.height() - 2;
  if (w <= 0 || h <= 0) return;
  painter.save();
  painter.translate(cell.topLeft() + QPoint(1, 1));
  painter.setClipRect(QRect(0, 0, w, h));
  ZVLabelDrawerExt::drawString(painter, text, cell.width(), h, back, text.color);
  painter.restore();
}
