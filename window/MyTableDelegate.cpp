#include "window/MyTableDelegate.h"

#include <QFontDatabase>
#include <QPainter>

#include "Common/ZVLabelDrawer.h"
#include "platform/UserDefaults.h"
#include "window/LabelCell.h"
#include "window/RecordTableModel.h"

namespace {
const QString kFamily = QStringLiteral("tableFontFamily");
const QString kSize = QStringLiteral("tableFontSize");
const QString kBold = QStringLiteral("tableFontBold");
const QString kItalic = QStringLiteral("tableFontItalic");
}  // namespace

MyTableDelegate::MyTableDelegate(int categoryColumn, const QFont& tableFont, QObject* parent)
    : QStyledItemDelegate(parent), categoryColumn_(categoryColumn), tableFont_(tableFont) {}

QFont MyTableDelegate::labelFontFromSettings(const UserDefaults& defaults) {
  const QString family = defaults.stringForKey(kFamily);
  double size = defaults.doubleForKey(kSize);
  if (!(size >= 6 && size <= 72)) size = 12;
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  // The other editions' default names a font of their desktop: here it means this desktop's.
  // Only installed families count: fontconfig would answer any name with some other font.
  const bool registeredDefault = family == defaults.registeredDefaults()->value(kFamily).toString();
  if (!family.isEmpty() && !registeredDefault &&
      QFontDatabase::families().contains(family, Qt::CaseInsensitive))
    font.setFamily(family);
  font.setPixelSize(int(size));  // the setting's points are device-independent pixels
  font.setBold(defaults.boolForKey(kBold));
  font.setItalic(defaults.boolForKey(kItalic));
  return font;
}

bool MyTableDelegate::isTableFontKey(const QString& key) {
  return key == kFamily || key == kSize || key == kBold || key == kItalic;
}

void MyTableDelegate::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->font = tableFont_;
  option->fontMetrics = QFontMetrics(tableFont_);
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
                 LabelText{index.data(Qt::DisplayRole).toString(), tableFont_,
                           index.data(RecordTableModel::CategoryTextColorRole).value<QColor>()},
                 index.data(RecordTableModel::CategoryBackColorRole).value<QColor>());
}
