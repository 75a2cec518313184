#pragma once

#include <QFont>
#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

class QTableView;
class ZVCategoryArrayController;

// Watches the title being typed in the categories sheet: each change goes into the category
// at once, so the sheet and the record table show it while it is typed, and the category
// list tells its document of the edit.
class MyCatEditDelegate : public QObject {
  Q_OBJECT

 public:
  // redrawCategories: redraws what shows the categories (the record table's labels).
  MyCatEditDelegate(QTableView* myCategoryTable, ZVCategoryArrayController* categories,
                    std::function<void()> redrawCategories, QObject* parent = nullptr);

  void controlTextDidChange(const QModelIndex& index, const QString& text);

 private:
  QTableView* myCategoryTable_;
  QPointer<ZVCategoryArrayController> categories_;
  std::function<void()> redrawCategories_;
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
