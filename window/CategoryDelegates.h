#pragma once

#include <QFont>
#include <QStyledItemDelegate>
#include <functional>

class QTableView;

// Watches the title being typed in the categories sheet: each change goes into the category
// at once, so the sheet and the record table show it while it is typed.
class MyCatEditDelegate : public QObject {
  Q_OBJECT

 public:
  // synkNotesWithCategory: redraws the record table and marks the document edited.
  MyCatEditDelegate(QTableView* myCategoryTable, std::function<void()> synkNotesWithCategory,
                    QObject* parent = nullptr);

  void controlTextDidChange(const QModelIndex& index, const QString& text);

 private:
  QTableView* myCategoryTable_;
  std::function<void()> synkNotesWithCategory_;
};

// Draws the categories sheet's titles as coloured labels in the table's label font, and
// hands the title editor's changes to the edit delegate.
class MyCategoryTableDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  MyCategoryTableDelegate(const QFont& labelFont, MyCatEditDelegate* editing,
                          QObject* parent = nullptr);

  const QFont& labelFont() const { return labelFont_; }
  void setLabelFont(const QFont& font) { labelFont_ = font; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 private:
  QFont labelFont_;
  MyCatEditDelegate* editing_;
};
