#include "transfer/FieldKeyList.h"

#include <algorithm>

QString FieldKeyList::title(qsizetype row) const {
  const DictRef& entry = at(row);
  return entry ? entry->value(u"publicKey").toString() : QString();
}

void FieldKeyList::insert(qsizetype row, DictRef entry) {
  row = std::clamp<qsizetype>(row, 0, count());
  Q_EMIT aboutToInsert(row);
  entries_.insert(entries_.begin() + row, std::move(entry));
  // Selected rows stay on their entries.
  for (qsizetype& s : selection_)
    if (s >= row) ++s;
  Q_EMIT inserted(row);
}

DictRef FieldKeyList::takeAt(qsizetype row) {
  Q_EMIT aboutToRemove(row);
  DictRef entry = std::move(entries_[std::size_t(row)]);
  entries_.erase(entries_.begin() + row);
  const bool wasSelected = std::erase(selection_, row) > 0;
  for (qsizetype& s : selection_)
    if (s > row) --s;
  Q_EMIT removed(row);
  if (wasSelected) Q_EMIT selectionChanged();
  return entry;
}

void FieldKeyList::setSelectionIndexes(std::vector<qsizetype> rows) {
  std::erase_if(rows, [this](qsizetype r) { return r < 0 || r >= count(); });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows == selection_) return;
  selection_ = std::move(rows);
  Q_EMIT selectionChanged();
}

std::vector<DictRef> FieldKeyList::selectedEntries() const {
  std::vector<DictRef> out;
  for (qsizetype row : selection_) out.push_back(at(row));
  return out;
}
