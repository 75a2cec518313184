#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/Array.h"
#include "platform/Collation.h"
#include "platform/Dictionary.h"
#include "platform/SortedOrder.h"

// The list behind a table: a shared content array of dictionaries, the arranged view of it
// (filtered, then sorted, rebuilt when asked), and a selection of arranged indexes.
// Objects are compared by identity. The list avoids an empty selection: new content, a
// rearrangement or a removal that leaves nothing selected selects the first arranged object;
// only an explicit deselection leaves it empty.
class ArrayController : public QObject {
  Q_OBJECT

 public:
  static constexpr qsizetype NotFound = -1;

  // On long lists a filter is called for many objects at once from several threads: it
  // must only read.
  using Predicate = std::function<bool(const DictRef&)>;
  using SortDescriptor = ::SortDescriptor;

  explicit ArrayController(QObject* parent = nullptr);

  // The content is shared with its owner (the document's list); replacing it rearranges.
  ArrayRef content() const { return content_; }
  void setContent(ArrayRef content);

  const std::vector<DictRef>& arrangedObjects() const { return arranged_; }
  bool arrangedObjectsContain(const Dictionary* object) const;

  // Setting the filter arranges the list again at once; the sort waits for rearrangeObjects.
  // The content's sorted order is kept between arrangements while every object still holds
  // the values it was sorted by, so a filter set or cleared picks from it without sorting.
  void setFilterPredicate(Predicate predicate);
  const Predicate& filterPredicate() const { return filter_; }
  // For a filter that passes only what the current one passes (a longer search text): the
  // arranged view keeps its order and loses what fails, with no new sort.
  void narrowFilterPredicate(Predicate predicate);
  void setSortDescriptors(std::vector<SortDescriptor> descriptors);
  const std::vector<SortDescriptor>& sortDescriptors() const { return sort_; }
  void rearrangeObjects();
  // Rearranges one object of the content alone: the filter may show or hide it and the sort
  // may move it, as rearrangeObjects would, but views see one row go or come, never a reset.
  void rearrangeObject(const DictRef& object);

  qsizetype selectionIndex() const;
  const std::vector<qsizetype>& selectionIndexes() const { return selection_; }
  bool setSelectionIndex(qsizetype index);
  bool setSelectionIndexes(std::vector<qsizetype> indexes);
  std::vector<DictRef> selectedObjects() const;
  bool setSelectedObjects(const std::vector<DictRef>& objects);

  // A fresh mutable dictionary; subclasses build their own templates.
  virtual DictRef newObject();
  // Appends to the content and the arranged view and selects the object.
  virtual void addObject(const DictRef& object);
  // Appends them all, then arranges the list once: views see one reset, not one insertion
  // per object. The selection stays on what it was.
  virtual void addObjects(const std::vector<DictRef>& objects);
  // Inserts into the arranged view at index, and into the content before the object that
  // was shown there (at the end when index is past the last row); selects the object.
  virtual void insertObject(const DictRef& object, qsizetype arrangedIndex);
  virtual void removeObject(const DictRef& object);
  // One pass over the content however many objects go.
  virtual void removeObjects(const std::vector<DictRef>& objects);
  // Removes the selected objects.
  virtual void remove();
  bool canRemove() const { return !selection_.empty(); }
  // Finishes a pending edit in a bound field; there is none in the model itself.
  virtual bool commitEditing() { return true; }

  // Index of the very object in the arranged view, or NotFound.
  qsizetype arrangedIndexOf(const Dictionary* object) const;
  // Tells the views that a field of this object changed (its row redraws; nothing is
  // rearranged, so the row stays where it is until the next sort).
  void noteObjectChanged(const Dictionary* object);

 Q_SIGNALS:
  // Each change of the arranged view is announced before it happens (views prepare) and
  // reported after. The arranged view is rebuilt (filter, sort, new content): views reset.
  void arrangedObjectsAboutToReset();
  void arrangedObjectsReset();
  void objectAboutToBeInserted(qsizetype arrangedIndex);
  void objectInserted(qsizetype arrangedIndex);
  void objectAboutToBeRemoved(qsizetype arrangedIndex);
  void objectRemoved(qsizetype arrangedIndex);
  void objectChanged(qsizetype arrangedIndex);
  void selectionChanged();
  void contentChanged();

 private:
  // Negative, zero or positive, as a and b order under the sort descriptors.
  int compareObjects(const Dictionary& a, const Dictionary& b) const;
  // The new arranged view; the selection follows its objects to their new rows.
  void installArranged(std::vector<DictRef> next, const std::vector<DictRef>& previouslySelected);
  void rebuildArrangedSet() const;
  void removeArrangedAt(qsizetype index);
  void selectAfterRemoval(qsizetype removedIndex);

  ArrayRef content_;
  std::vector<DictRef> arranged_;
  Predicate filter_;
  std::vector<SortDescriptor> sort_;
  std::vector<qsizetype> selection_;  // sorted, unique, all < arranged_.size()
  mutable std::unordered_set<const Dictionary*> arrangedSet_;
  SortedOrder sortedOrder_;
  mutable bool arrangedSetValid_ = false;
};
