#include "window/CategoryTableModel.h"

#include <QColor>

#include "Common/ZVColorUtilOSX.h"
#include "platform/ArrayController.h"
#include "vault/VaultKeys.h"

namespace {
QColor toQColor(const Value& dict) {
  const Rgba c = ZVColorUtilOSX::NSColorFromDict(dict).usingCalibratedRGB().value_or(Rgba{});
  return QColor::fromRgbF(c.r, c.g, c.b, c.a);
}
}  // namespace

CategoryTableModel::CategoryTableModel(ArrayController* categories, QObject* parent)
    : QAbstractTableModel(parent), categories_(categories) {
  connect(categories, &ArrayController::arrangedObjectsAboutToReset, this,
          &CategoryTableModel::beginResetModel);
  connect(categories, &ArrayController::arrangedObjectsReset, this,
          &CategoryTableModel::endResetModel);
  connect(categories, &ArrayController::objectAboutToBeInserted, this,
          [this](qsizetype row) { beginInsertRows({}, int(row), int(row)); });
  connect(categories, &ArrayController::objectInserted, this, &CategoryTableModel::endInsertRows);
  connect(categories, &ArrayController::objectAboutToBeRemoved, this,
          [this](qsizetype row) { beginRemoveRows({}, int(row), int(row)); });
  connect(categories, &ArrayController::objectRemoved, this, &CategoryTableModel::endRemoveRows);
  connect(categories, &ArrayController::objectChanged, this, [this](qsizetype row) {
    Q_EMIT dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
  });
}

int CategoryTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(categories_->arrangedObjects().size());
}

int CategoryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant CategoryTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || std::size_t(index.row()) >= categories_->arrangedObjects().size())
    return {};
  const Dictionary& category = *categories_->arrangedObjects()[std::size_t(index.row())];
  if (index.column() == Title) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
      case Qt::ToolTipRole:
        return category.value(CategoryKeys::category()).toString();
      case BackColorRole:
        return toQColor(category.value(CategoryKeys::backColor()));
      case TextColorRole:
        return toQColor(category.value(CategoryKeys::textColor()));
      default:
        return {};
    }
  }
  if (role == Qt::DisplayRole) return category.value(CategoryKeys::howManyUsingThis()).toInteger();
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant CategoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == Title ? QStringLiteral("Category") : QStringLiteral("Records");
}

Qt::ItemFlags CategoryTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == Title) f |= Qt::ItemIsEditable;
  return f;
}

bool CategoryTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != Title ||
      std::size_t(index.row()) >= categories_->arrangedObjects().size())
    return false;
  const DictRef& category = categories_->arrangedObjects()[std::size_t(index.row())];
  const QString title = value.toString();
  if (category->value(CategoryKeys::category()).toString() == title) return false;
  category->setValue(CategoryKeys::category(), title);
  Q_EMIT dataChanged(index, index);
  return true;
}

void CategoryTableModel::refresh() {
  if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}
