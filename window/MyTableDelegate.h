#pragma once

#include <QStyledItemDelegate>

class UserDefaults;

// Paints the record table in the table font (the tableFont... settings): the category column
// as coloured labels, the other columns as plain text.
class MyTableDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  MyTableDelegate(int categoryColumn, const QFont& tableFont, QObject* parent = nullptr);

  // The font the settings name, bold and italic as they say. The family the other editions
  // register ("Lucida Grande"), an empty one or one not installed here is the desktop's own
  // font; sizes are device-independent pixels, 12 when out of 6..72.
  static QFont labelFontFromSettings(const UserDefaults& defaults);
  // Whether that setting changes the table font.
  static bool isTableFontKey(const QString& key);

  const QFont& tableFont() const { return tableFont_; }
  void setTableFont(const QFont& font) { tableFont_ = font; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  int categoryColumn_;
  QFont tableFont_;
};
