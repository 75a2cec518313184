#pragma once

#include <QObject>
#include <vector>

#include "platform/Dictionary.h"

// One of the export's two field lists (FieldKeyEntry dictionaries) with the entries the user
// has selected in it. It tells before and after each entry comes or goes, so a view can follow
// it row by row.
class FieldKeyList : public QObject {
  Q_OBJECT

 public:
  explicit FieldKeyList(QObject* parent = nullptr) : QObject(parent) {}

  const std::vector<DictRef>& entries() const { return entries_; }
  qsizetype count() const { return qsizetype(entries_.size()); }
  const DictRef& at(qsizetype row) const { return entries_[std::size_t(row)]; }
  // The entry's publicKey, the title the user sees.
  QString title(qsizetype row) const;

  void insert(qsizetype row, DictRef entry);
  void append(DictRef entry) { insert(count(), std::move(entry)); }
  DictRef takeAt(qsizetype row);

  // Sorted rows; the selection index is the first of them, or -1.
  const std::vector<qsizetype>& selectionIndexes() const { return selection_; }
  qsizetype selectionIndex() const { return selection_.empty() ? -1 : selection_.front(); }
  void setSelectionIndexes(std::vector<qsizetype> rows);
  std::vector<DictRef> selectedEntries() const;

 Q_SIGNALS:
  void aboutToInsert(qsizetype row);
  void inserted(qsizetype row);
  void aboutToRemove(qsizetype row);
  void removed(qsizetype row);
  void selectionChanged();

 private:
  std::vector<DictRef> entries_;
  std::vector<qsizetype> selection_;
};
