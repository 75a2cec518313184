#include "window/MyTableDelegate.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

#include "Common/ZVLabelDrawer.h"
#include "platform/UserDefaults.h"
#include "window/LabelCell.h"
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
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  paintLabelCell(*painter, background,
                 LabelText{index.data(Qt::DisplayRole).toString(), labelFont_,
                           index.data(RecordTableModel::CategoryTextColorRole).value<QColor>()},
                 index.data(RecordTableModel::CategoryBackColorRole).value<QColor>());
}
