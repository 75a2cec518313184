#pragma once

#include <QTableView>
#include <array>

#include "window/RecordColumns.h"

class ArrayController;
class MyTableDelegate;
class RecordTableModel;

// The record table: one row per arranged record, the category column drawn as labels. Its
// columns are moved, resized, hidden and shown by the user or set as a whole from a
// ColumnLayout; only the user's changes are reported.
class RecordTableView : public QTableView {
  Q_OBJECT

 public:
  // tableFont: the rows' text and the category labels.
  RecordTableView(ArrayController* records, const QFont& tableFont, QWidget* parent = nullptr);

  RecordTableModel* recordModel() const { return model_; }
  const QFont& tableFont() const;
  // Redraws the rows in that font, every row as tall as the font needs.
  void setTableFont(const QFont& font);

  // The columns in display order, hidden ones with the width they come back at.
  RecordColumns::ColumnLayout columnLayout() const;
  void setColumnLayout(const RecordColumns::ColumnLayout& layout);
  // The header's arrow on that column; none for an identifier of no column.
  void setSortIndicator(const QString& identifier, bool ascending);

 Q_SIGNALS:
  // The user resized or moved a column.
  void columnsChangedByUser();
  void headerClicked(const QString& identifier);

 private:
  // A column's new width is kept; the user's resize is saved with the document.
  void tableViewColumnDidResize(int logical, int newSize);
  RecordTableModel* model_;
  MyTableDelegate* delegate_;
  // Widths by column: a hidden header section reports 0.
  std::array<double, 12> widths_{};
  bool settingLayout_ = false;
};
