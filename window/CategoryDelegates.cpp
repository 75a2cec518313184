#include "window/CategoryDelegates.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QTableView>

#include "Common/ZVLabelDrawer.h"
#include "window/CategoryTableModel.h"

MyCatEditDelegate::MyCatEditDelegate(QTableView* myCategoryTable,
                                     std::function<void()> synkNotesWithCategory, QObject* parent)
    : QObject(parent),
      myCategoryTable_(myCategoryTable),
      synkNotesWithCategory_(std::move(synkNotesWithCategory)) {}

void MyCatEditDelegate::controlTextDidChange(const QModelIndex& index, const QString& text) {
  if (!index.isValid()) return;
  if (!myCategoryTable_->model()->setData(index, text, Qt::EditRole)) return;
  myCategoryTable_->viewport()->update();
  if (synkNotesWithCategory_) synkNotesWithCategory_();
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
  QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
  // The label is as wide as the column and cut 2 short of it, as in the record table.
  const int w = option.rect.width() - 2;
  const int h = option.rect.height() - 2;
  if (w <= 0 || h <= 0) return;
  LabelText text{index.data(Qt::DisplayRole).toString(), labelFont_,
                 index.data(CategoryTableModel::TextColorRole).value<QColor>()};
  const QColor back = index.data(CategoryTableModel::BackColorRole).value<QColor>();
  painter->save();
  painter->translate(option.rect.topLeft() + QPoint(1, 1));
  painter->setClipRect(QRect(0, 0, w, h));
  ZVLabelDrawerExt::drawString(*painter, text, option.rect.width(), h, back);
  painter->restore();
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
