#pragma once

#include <QAbstractTableModel>

class ArrayController;

// The categories sheet's rows: one per arranged category of the document's category list,
// its title (editable) and how many records use it. Follows the list's own insertions,
// removals and resets.
class CategoryTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Title, Count, ColumnCount };
  enum Role { BackColorRole = Qt::UserRole + 1, TextColorRole };

  explicit CategoryTableModel(ArrayController* categories, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // Every row redraws (titles and colours changed in place).
  void refresh();

 private:
  ArrayController* categories_;
};
