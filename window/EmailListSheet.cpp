#include "window/EmailListSheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "window/EmailList.h"

EmailListModel::EmailListModel(EmailList* list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {
  ArrayController* c = &list->controller();
  connect(c, &ArrayController::arrangedObjectsAboutToReset, this, &EmailListModel::beginResetModel);
  connect(c, &ArrayController::arrangedObjectsReset, this, &EmailListModel::endResetModel);
  connect(c, &ArrayController::objectAboutToBeInserted, this,
          [this](qsizetype row) { beginInsertRows({}, int(row), int(row)); });
  connect(c, &ArrayController::objectInserted, this, &EmailListModel::endInsertRows);
  connect(c, &ArrayController::objectAboutToBeRemoved, this,
          [this](qsizetype row) { beginRemoveRows({}, int(row), int(row)); });
  connect(c, &ArrayController::objectRemoved, this, &EmailListModel::endRemoveRows);
  connect(c, &ArrayController::objectChanged, this,
          [this](qsizetype row) { Q_EMIT dataChanged(index(int(row)), index(int(row))); });
}

int EmailListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !list_ ? 0 : int(list_->controller().arrangedObjects().size());
}

QVariant EmailListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() ||
      (role != Qt::DisplayRole && role != Qt::EditRole))
    return {};
  return list_->controller()
      .arrangedObjects()[std::size_t(index.row())]
      ->value(EmailList::emailKey())
      .toString();
}

bool EmailListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !list_) return false;
  list_->setAddress(index.row(), value.toString().trimmed());
  return true;
}

Qt::ItemFlags EmailListModel::flags(const QModelIndex& index) const {
  return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

EmailListSheet::EmailListSheet(EmailList* list, QWidget* parent)
    : Sheet(parent), list_(list), model_(new EmailListModel(list, this)) {
  setObjectName(QStringLiteral("myEmailListSheet"));
  setWindowTitle(QStringLiteral("E-mail Addresses"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Addresses offered by the record's e-mail menu. Double-click one to edit it."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  view_ = new QListView(this);
  view_->setModel(model_);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  layout->addWidget(view_);
  auto* row = new QHBoxLayout;
  add_ =
      new QPushButton(QIcon::fromTheme(QStringLiteral("list-add")), QStringLiteral("&Add"), this);
  delete_ = new QPushButton(QIcon::fromTheme(QStringLiteral("list-remove")),
                            QStringLiteral("&Delete"), this);
  row->addWidget(add_);
  row->addWidget(delete_);
  row->addStretch();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  row->addWidget(buttons);
  layout->addLayout(row);
  resize(420, 320);

  connect(add_, &QPushButton::clicked, this, [this] {
    list_->newEmailInEmailList();
    // The placeholder is there to be typed over.
    const auto row = list_->controller().selectionIndex();
    if (row != ArrayController::NotFound) view_->edit(model_->index(int(row)));
  });
  connect(delete_, &QPushButton::clicked, this, [this] { list_->deleteEmailInEmailList(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &EmailListSheet::closeEmailListSheet);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &EmailListSheet::selectionFromView);
  connect(&list->controller(), &ArrayController::selectionChanged, this,
          &EmailListSheet::selectionFromList);
  selectionFromList();
}

void EmailListSheet::closeEmailListSheet() { endSheet(AbortReturn); }

void EmailListSheet::selectionFromView() {
  if (syncing_) return;
  std::vector<qsizetype> rows;
  for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(i.row());
  syncing_ = true;
  list_->controller().setSelectionIndexes(std::move(rows));
  syncing_ = false;
  updateButtons();
}

void EmailListSheet::selectionFromList() {
  if (syncing_) return;
  syncing_ = true;
  QItemSelection selection;
  for (qsizetype row : list_->controller().selectionIndexes())
    selection.select(model_->index(int(row)), model_->index(int(row)));
  view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!selection.isEmpty()) view_->scrollTo(selection.indexes().last());
  syncing_ = false;
  updateButtons();
}

void EmailListSheet::updateButtons() { delete_->setEnabled(list_->controller().canRemove()); }
