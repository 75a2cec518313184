#include "window/RecordTableModel.h"

#include <QColor>
#include <QLocale>

#include "Common/ZVColorUtilOSX.h"
#include "platform/ArrayController.h"
#include "vault/VaultKeys.h"
#include "window/RecordColumns.h"

namespace {
enum Column {
  Category,
  Name,
  Url,
  Account,
  UserID,
  Password,
  Pin,
  Security,
  Email,
  CreatedDate,
  ModificationDate,
  UsageCount
};

const QString& keyOf(int column) {
  static const QString keys[] = {RecordKeys::categoryPtr(),
                                 RecordKeys::name(),
                                 RecordKeys::url(),
                                 RecordKeys::account(),
                                 RecordKeys::userID(),
                                 RecordKeys::password(),
                                 RecordKeys::pin(),
                                 RecordKeys::security(),
                                 RecordKeys::email(),
                                 RecordKeys::creationDate(),
                                 RecordKeys::modificationDate(),
                                 RecordKeys::usageCount()};
  return keys[column];
}

QColor toQColor(const Value& dict) {
  const Rgba c = ZVColorUtilOSX::NSColorFromDict(dict).usingCalibratedRGB().value_or(Rgba{});
  return QColor::fromRgbF(c.r, c.g, c.b, c.a);
}
}  // namespace

RecordTableModel::RecordTableModel(ArrayController* records, QObject* parent)
    : QAbstractTableModel(parent), records_(records), identifiers_(RecordColumns::identifiers()) {
  connect(records, &ArrayController::arrangedObjectsAboutToReset, this,
          &RecordTableModel::beginResetModel);
  connect(records, &ArrayController::arrangedObjectsReset, this, &RecordTableModel::endResetModel);
  connect(records, &ArrayController::objectAboutToBeInserted, this,
          [this](qsizetype row) { beginInsertRows({}, int(row), int(row)); });
  connect(records, &ArrayController::objectInserted, this, &RecordTableModel::endInsertRows);
  connect(records, &ArrayController::objectAboutToBeRemoved, this,
          [this](qsizetype row) { beginRemoveRows({}, int(row), int(row)); });
  connect(records, &ArrayController::objectRemoved, this, &RecordTableModel::endRemoveRows);
  connect(records, &ArrayController::objectChanged, this, [this](qsizetype row) {
    Q_EMIT dataChanged(index(int(row), 0), index(int(row), columnCount() - 1));
  });
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !records_ ? 0 : int(records_->arrangedObjects().size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(identifiers_.size());
}

const QString& RecordTableModel::identifier(int column) const { return identifiers_[column]; }

int RecordTableModel::columnOf(const QString& identifier) const {
  return int(identifiers_.indexOf(identifier));
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Dictionary& record = *records_->arrangedObjects()[std::size_t(index.row())];
  const int column = index.column();
  if (role == CategoryBackColorRole || role == CategoryTextColorRole) {
    if (column != Category) return {};
    const Dictionary* category = record.value(RecordKeys::categoryPtr()).dictionaryPointer();
    if (!category) return QColor::fromRgbF(0, 0, 0, 0);
    return toQColor(category->value(role == CategoryBackColorRole ? CategoryKeys::backColor()
                                                                  : CategoryKeys::textColor()));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const Value& value = record.value(keyOf(column));
  switch (column) {
    case Category: {
      const Dictionary* category = value.dictionaryPointer();
      if (!category) return QString();
      const QString* title = category->value(CategoryKeys::category()).stringPointer();
      return title ? *title : QString();
    }
    case Password:
    case Pin:
    case Security: {
      if (role == Qt::ToolTipRole) return {};
      const QString* secret = value.stringPointer();
      if (!secret) return QString();
      return showSecrets_ ? *secret : QString(secret->size(), QChar(0x2022));
    }
    case CreatedDate:
    case ModificationDate:
      if (!value.isDate()) return {};
      return QLocale().toString(value.toDate().toLocalDateTime(), QLocale::ShortFormat);
    case UsageCount:
      return value.isNumber() ? QVariant(value.toInteger()) : QVariant();
    default:
      if (const QString* s = value.stringPointer()) return *s;
      return {};
  }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount())
    return {};
  return RecordColumns::title(identifiers_[section]);
}

void RecordTableModel::setShowSecrets(bool show) {
  if (show == showSecrets_) return;
  showSecrets_ = show;
  const int last = rowCount() - 1;
  if (last < 0) return;
  for (int column : {int(Password), int(Pin), int(Security)})
    Q_EMIT dataChanged(index(0, column), index(last, column), {Qt::DisplayRole});
}
