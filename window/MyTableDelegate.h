#pragma once

#include <QStyledItemDelegate>

// Paints the record table's category column as coloured labels in the table's label font
// (the tableFontFamily and tableFontSize settings; the desktop's font when that family is
// missing). Other columns draw as plain text.
class MyTableDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit MyTableDelegate(int categoryColumn, QObject* parent = nullptr);

  void setLabelFont(const QFont& font) { labelFont_ = font; }
  // The font the settings name; the desktop's font at that size when the family is missing.
  static QFont labelFontFromSettings();

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int categoryColumn_;
  QFont labelFont_;
};
