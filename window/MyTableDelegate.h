#pragma once

#include <QStyledItemDelegate>

class UserDefaults;

// Paints the record table's category column as coloured labels in the table's label font
// (the tableFontFamily and tableFontSize settings; the desktop's font when that family is
// missing). Other columns draw as plain text.
class MyTableDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  MyTableDelegate(int categoryColumn, const QFont& labelFont, QObject* parent = nullptr);

  // The font the settings name; the desktop's font at that size when the family is missing.
  static QFont labelFontFromSettings(const UserDefaults& defaults);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int categoryColumn_;
  QFont labelFont_;
};
