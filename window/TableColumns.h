#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

#include "platform/Array.h"
#include "platform/ArrayController.h"
#include "window/RecordColumns.h"

class MyDocument;
class RecordTableView;
class UserDefaults;

// The record table's columns in a document window: which are shown and how wide (presets,
// one column switched, the custom setting, the snapshots the file keeps) and the order the
// records are sorted by a column's header. Changes the user makes are edits of the document;
// those the window makes while it sets itself up (quiet) are not.
class TableColumns : public QObject {
  Q_OBJECT

 public:
  TableColumns(RecordTableView* table, MyDocument* document, UserDefaults& defaults,
               std::function<bool()> quiet, QObject* parent = nullptr);

  RecordColumns::ColumnLayout layout() const;
  void setLayout(const RecordColumns::ColumnLayout& layout);
  ArrayRef sizeSnapshot() const;
  ArrayRef visibilitySnapshot() const;
  void applyVisibility(const ArrayRef& snapshot);
  void applySizes(const ArrayRef& snapshot);
  void applyPreset(RecordColumns::Preset preset);
  // The name column is always shown.
  void switchVisibilityColumnWithIdentifier(const QString& identifier);
  // The current visibilities become the document's custom setting, and back.
  void defineCustomTableSettingsToCurrent();
  void setCurrentToCustomTableSettings();

  // A header click sorts by that column's prototype, a second one reverses it.
  void headerClicked(const QString& identifier);
  // Each column's header sorting, by the string comparison the settings name now.
  void assignSortPrototype();
  // The sort a header click chose, which the file keeps; nothing else.
  void selectedTableColumnWithidentifier(const QString& identifier, bool ascending);
  // Sorts by that column as the settings compare now; the sort the file keeps stays.
  void orderByColumnWithidentifier(const QString& identifier, bool ascending);
  // A new string comparison in the settings sorts the records again.
  void sortComparisonChanged(const QString& key);

 Q_SIGNALS:
  void layoutChanged();

 private:
  RecordColumns::Comparison comparison() const;
  void sortBy(ArrayController::SortDescriptor descriptor, const QString& identifier);
  void markEdited();

  RecordTableView* table_;
  QPointer<MyDocument> document_;
  UserDefaults& defaults_;
  std::function<bool()> quiet_;
  std::map<QString, ArrayController::SortDescriptor> sortPrototypes_;
};
