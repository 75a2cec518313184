#include "window/CategoriesSheet.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "Common/ZVColorUtilOSX.h"
#include "platform/MainQueue.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/CategoryDelegates.h"
#include "window/CategoryTableModel.h"

CategoriesSheet::CategoriesSheet(MyDocument* document, const QFont& labelFont, QWidget* parent)
    : Sheet(parent), document_(document) {
  setObjectName(QStringLiteral("myCategorySheet"));
  setWindowTitle(QStringLiteral("Categories"));
  ZVColoredCategoryArrayController& categories = document->categoryController();
  model_ = new CategoryTableModel(&categories, this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("myCategoryTableView"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(CategoryTableModel::Title, QHeaderView::Stretch);
  table_->horizontalHeader()->setSectionResizeMode(CategoryTableModel::Count,
                                                   QHeaderView::ResizeToContents);
  editing_ = new MyCatEditDelegate(
      table_, &categories, [this] { redrawCategories(); }, this);
  labels_ = new MyCategoryTableDelegate(labelFont, editing_, table_);
  table_->setItemDelegate(labels_);
  setLabelFont(labelFont);

  add_ = new QPushButton(QIcon::fromTheme(QStringLiteral("list-add")), QStringLiteral("&Add"));
  remove_ =
      new QPushButton(QIcon::fromTheme(QStringLiteral("list-remove")), QStringLiteral("&Remove"));
  colour_ = new QPushButton(QStringLiteral("&Colour..."));
  textColour_ = new QPushButton(QStringLiteral("&Text Colour..."));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(add_, &QPushButton::clicked, this, &CategoriesSheet::addNewCategory);
  connect(remove_, &QPushButton::clicked, this, &CategoriesSheet::removeCategory);
  connect(colour_, &QPushButton::clicked, this, [this] { chooseColour(false); });
  connect(textColour_, &QPushButton::clicked, this, [this] { chooseColour(true); });
  connect(buttons, &QDialogButtonBox::rejected, this, &CategoriesSheet::closeCategoriesSheet);

  auto* row = new QHBoxLayout;
  for (QPushButton* b : {add_, remove_, colour_, textColour_}) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  row->addStretch(1);
  row->addWidget(buttons);
  removeHint_ = new QLabel(this);
  removeHint_->setObjectName(QStringLiteral("removeHint"));
  removeHint_->setWordWrap(true);
  removeHint_->setForegroundRole(QPalette::PlaceholderText);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(removeHint_);
  layout->addLayout(row);
  resize(560, 360);

  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CategoriesSheet::selectionFromTable);
  connect(&categories, &ArrayController::selectionChanged, this,
          &CategoriesSheet::selectionFromList);
  connect(&categories, &ArrayController::arrangedObjectsReset, this,
          &CategoriesSheet::selectionFromList);
  selectionFromList();
}

QColorDialog* CategoriesSheet::colourDialog() const { return colourDialog_; }

const QFont& CategoriesSheet::labelFont() const { return labels_->labelFont(); }

void CategoriesSheet::setLabelFont(const QFont& font) {
  labels_->setLabelFont(font);
  table_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 8);
  table_->viewport()->update();
}

void CategoriesSheet::selectionFromTable() {
  if (!document_) return;
  std::vector<qsizetype> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  ArrayController& categories = document_->categoryController();
  if (rows != categories.selectionIndexes()) categories.setSelectionIndexes(std::move(rows));
  updateButtons();
}

void CategoriesSheet::selectionFromList() {
  if (!document_) return;
  const std::vector<qsizetype>& rows = document_->categoryController().selectionIndexes();
  QItemSelection selection;
  for (qsizetype r : rows)
    selection.select(model_->index(int(r), 0), model_->index(int(r), model_->columnCount() - 1));
  const QSignalBlocker quiet(table_->selectionModel());
  table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!rows.empty())
    table_->selectionModel()->setCurrentIndex(model_->index(int(rows.back()), 0),
                                              QItemSelectionModel::NoUpdate);
  table_->viewport()->update();
  updateButtons();
}

void CategoriesSheet::updateButtons() {
  if (!document_) return;
  const std::vector<DictRef> selected = document_->categoryController().selectedObjects();
  // Removing a category in use would orphan its records.
  bool unused = !selected.empty();
  for (const DictRef& c : selected)
    if (c->value(CategoryKeys::howManyUsingThis()).toInteger() != 0) unused = false;
  remove_->setEnabled(unused);
  QString why;
  if (!unused && selected.size() == 1) {
    const qint64 users = selected.front()->value(CategoryKeys::howManyUsingThis()).toInteger();
    why = QStringLiteral("“%1” holds %2 %3: move %4 to another category to remove it.")
              .arg(selected.front()->value(CategoryKeys::category()).toString())
              .arg(users)
              .arg(users == 1 ? QStringLiteral("record") : QStringLiteral("records"),
                   users == 1 ? QStringLiteral("it") : QStringLiteral("them"));
  } else if (!unused && !selected.empty()) {
    why = QStringLiteral(
        "Some of the selected categories hold records: move those records to another category "
        "to remove them.");
  }
  removeHint_->setText(why);
  removeHint_->setVisible(!why.isEmpty());
  remove_->setToolTip(why.isEmpty() ? QStringLiteral("Remove the selected categories") : why);
  colour_->setEnabled(!selected.empty());
  textColour_->setEnabled(!selected.empty());
}

void CategoriesSheet::addNewCategory() {
  if (!document_ || document_->isEncrypted()) return;
  ZVColoredCategoryArrayController& categories = document_->categoryController();
  const DictRef added = categories.newObject();
  categories.addObject(added);
  document_->updateChangeCount(ChangeCounting::ChangeDone);
  QPointer<CategoriesSheet> self(this);
  MainQueue::defer([self, added] {
    if (!self) return;
    self->scrollCategoryViewToBottom();
    Q_EMIT self->menuChanged();
    // The new title is there to be typed over; after the menu, whose rebuild arranges the list
    // again and so would end the edit.
    self->editTitleOf(added.get());
  });
}

void CategoriesSheet::removeCategory() {
  if (!document_ || document_->isEncrypted() || !remove_->isEnabled()) return;
  document_->categoryController().remove();
  document_->updateChangeCount(ChangeCounting::ChangeDone);
  Q_EMIT categoriesChanged();
  QPointer<CategoriesSheet> self(this);
  MainQueue::defer([self] {
    if (self) Q_EMIT self->menuChanged();
  });
}

void CategoriesSheet::chooseColour(bool textColour) {
  if (!document_ || document_->isEncrypted()) return;
  const std::vector<DictRef> selected = document_->categoryController().selectedObjects();
  if (selected.empty()) return;
  if (colourDialog_) colourDialog_->close();
  const QString key = textColour ? CategoryKeys::textColor() : CategoryKeys::backColor();
  const Rgba c = ZVColorUtilOSX::NSColorFromDict(selected.back()->value(key))
                     .usingCalibratedRGB()
                     .value_or(Rgba{});
  // A child of this sheet: its changes reach this document only, and it closes with it.
  colourDialog_ = new QColorDialog(QColor::fromRgbF(c.r, c.g, c.b, c.a), this);
  colourDialog_->setAttribute(Qt::WA_DeleteOnClose);
  colourDialog_->setWindowTitle(textColour ? QStringLiteral("Text Colour")
                                           : QStringLiteral("Category Colour"));
  colourDialog_->setOption(QColorDialog::NoButtons);
  connect(colourDialog_, &QColorDialog::currentColorChanged, this,
          [this, textColour](const QColor& colour) { colorChanged(colour, textColour); });
  colourDialog_->show();
}

void CategoriesSheet::colorChanged(const QColor& colour, bool textColour) {
  if (!document_ || document_->isEncrypted() || !colour.isValid()) return;
  const DictRef dict = ZVColorUtilOSX::dictFromNSColor(Color::calibratedRGB(
      float(colour.redF()), float(colour.greenF()), float(colour.blueF()), float(colour.alphaF())));
  const QString key = textColour ? CategoryKeys::textColor() : CategoryKeys::backColor();
  for (const DictRef& category : document_->categoryController().selectedObjects())
    category->setValue(key, dict);
  model_->refresh();
  synkNotesWithCategory();
}

void CategoriesSheet::closeCategoriesSheet() { endSheet(AbortReturn); }

void CategoriesSheet::synkNotesWithCategory() {
  redrawCategories();
  if (document_) document_->updateChangeCount(ChangeCounting::ChangeDone);
}

void CategoriesSheet::redrawCategories() {
  table_->viewport()->update();
  Q_EMIT categoriesChanged();
}

void CategoriesSheet::scrollCategoryViewToBottom() { table_->scrollToBottom(); }

void CategoriesSheet::editTitleOf(const Dictionary* category) {
  if (!document_) return;
  const qsizetype row = document_->categoryController().arrangedIndexOf(category);
  if (row == ArrayController::NotFound) return;
  const QModelIndex title = model_->index(int(row), CategoryTableModel::Title);
  table_->setCurrentIndex(title);
  table_->scrollTo(title);
  table_->setFocus();
  table_->edit(title);
}

void CategoriesSheet::hideEvent(QHideEvent* event) {
  // The colour dialog goes with the sheet, however the sheet ends.
  if (colourDialog_) colourDialog_->close();
  Sheet::hideEvent(event);
}
