#include "transfer/FieldKeyListModel.h"

FieldKeyListModel::FieldKeyListModel(FieldKeyList* list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {
  connect(list, &FieldKeyList::aboutToInsert, this,
          [this](qsizetype row) { beginInsertRows({}, int(row), int(row)); });
  connect(list, &FieldKeyList::inserted, this, &FieldKeyListModel::endInsertRows);
  connect(list, &FieldKeyList::aboutToRemove, this,
          [this](qsizetype row) { beginRemoveRows({}, int(row), int(row)); });
  connect(list, &FieldKeyList::removed, this, &FieldKeyListModel::endRemoveRows);
}

int FieldKeyListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !list_ ? 0 : int(list_->count());
}

QVariant FieldKeyListModel::data(const QModelIndex& index, int role) const {
  if (!list_ || !index.isValid() || index.row() >= list_->count()) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return list_->title(index.row());
  return {};
}
