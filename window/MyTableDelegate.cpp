#include "window/MyTableDelegate.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

#include "Common/ZVLabelDrawer.h"
#include "platform/UserDefaults.h"
#include "window/RecordTableModel.h"

MyTableDelegate::MyTableDelegate(int categoryColumn, const QFont& labelFont, QObject* parent)
    : QStyledItemDelegate(parent), categoryColumn_(categoryColumn), labelFont_(labelFont) {}

QFont MyTableDelegate::labelFontFromSettings(const UserDefaults& defaults) {
  const QString family = defaults.stringForKey(QStringLiteral("tableFontFamily"));
  double size = defaults.doubleForKey(QStringLiteral("tableFontSize"));
  if (!(size >= 6 && size <= 72)) size = 12;
  QFont font = QApplication::font();
  if (!family.isEmpty() && QFontDatabase::hasFamily(family)) font.setFamily(family);
  font.setPixelSize(int(size));  // the setting's points are device-independent pixels
  return font;
}

void MyTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  if (index.column() != categoryColumn_) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // The row's background and selection as for any cell, then the label over it.
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
  const int w = option.rect.width() - 2;
  const int h = option.rect.height() - 2;
  if (w <= 0 || h <= 0) return;
  LabelText text{index.data(Qt::DisplayRole).toString(), labelFont_,
                 index.data(RecordTableModel::CategoryTextColorRole).value<QColor>()};
  const QColor back = index.data(RecordTableModel::CategoryBackColorRole).value<QColor>();
  painter->save();
  painter->translate(option.rect.topLeft() + QPoint(1, 1));
  painter->setClipRect(QRect(0, 0, w, h));
  ZVLabelDrawerExt::drawString(*painter, text, option.rect.width(), h, back);
  painter->restore();
}
