#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "platform/ArrayController.h"

// The record table's rows: the record list's arranged objects, one column per column
// identifier, kept in step by the list's change signals (never by polling, never a reset for
// one changed row). Secrets read as bullets, one per UTF-16 unit, unless shown in clear.
// Sorting is the list's (its sort descriptors), never a proxy's.
class RecordTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The identifier of each column: RecordColumns::identifiers().
  static constexpr int kCategoryColumn = 0;
  // The category's colours, for the label (QColor).
  static constexpr int CategoryBackColorRole = Qt::UserRole + 1;
  static constexpr int CategoryTextColorRole = Qt::UserRole + 2;

  explicit RecordTableModel(ArrayController* records, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const QString& identifier(int column) const;
  int columnOf(const QString& identifier) const;

  bool showsSecrets() const { return showSecrets_; }
  // Redraws the three secret columns only.
  void setShowSecrets(bool show);

 private:
  // The list goes with its document, which may go before the window that shows it.
  QPointer<ArrayController> records_;
  const QStringList& identifiers_;
  bool showSecrets_ = false;
};
