#pragma once

#include <QAbstractListModel>
#include <QPointer>

#include "transfer/FieldKeyList.h"

// The rows of a list view over one of the export's field lists: the fields' titles, kept in
// step row by row as entries come and go.
class FieldKeyListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit FieldKeyListModel(FieldKeyList* list, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  QPointer<FieldKeyList> list_;
};
