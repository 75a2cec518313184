#include "window/CategoryDelegates.h"

#include <QLineEdit>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QTableView>

#include "Common/ZVLabelDrawer.h"
#include "vault/ZVCategoryArrayController.h"
#include "window/CategoryTableModel.h"
#include "window/LabelCell.h"

MyCatEditDelegate::MyCatEditDelegate(QTableView* myCategoryTable,
                                     ZVCategoryArrayController* categories,
                                     std::function<void()> redrawCategories, QObject* parent)
    : QObject(parent),
      myCategoryTable_(myCategoryTable),
      categories_(categories),
      redrawCategories_(std::move(redrawCategories)) {}

void MyCatEditDelegate::controlTextDidChange(const QModelIndex& index, const QString& text) {
  if (!index.isValid()) return;
  if (!myCategoryTable_->model()->setData(index, text, Qt::EditRole)) return;
  myCategoryTable_->viewport()->update();
  // The one mark of this edit: the list tells its document.
  if (categories_) categories_->controlTextDidChange();
  if (redrawCategories_) redrawCategories_();
}

MyCategoryTableDelegate::MyCategoryTableDelegate(const QFont& labelFont, MyCatEditDelegate* editing,
                                                 QObject* parent)
    : QStyledItemDelegate(parent), labelFont_(labelFont), editing_(editing) {}

void MyCategoryTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  if (index.column() != CategoryTableModel::Title) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  // As in the record table.
  paintLabelCell(*painter, background,
                 LabelText{index.data(Qt::DisplayRole).toString(), labelFont_,
                           index.data(CategoryTableModel::TextColorRole).value<QColor>()},
                 index.data(CategoryTableModel::BackColorRole).value<QColor>());
}

QWidget* MyCategoryTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    const QPersistentModelIndex at(index);
    MyCatEditDelegate* editing = editing_;
    connect(line, &QLineEdit::textEdited, editing,
            [editing, at](const QString& text) { editing->controlTextDidChange(at, text); });
  }
  return editor;
}
