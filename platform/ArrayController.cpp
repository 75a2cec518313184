#include "platform/ArrayController.h"

#include <algorithm>

#include "platform/KeyPath.h"
#include "platform/Parallel.h"

ArrayController::ArrayController(QObject* parent) : QObject(parent), content_(Array::create()) {}

void ArrayController::setContent(ArrayRef content) {
  content_ = content ? std::move(content) : Array::create();
  sortedOrder_.forget();
  selection_.clear();
  rearrangeObjects();
  Q_EMIT contentChanged();
}

bool ArrayController::arrangedObjectsContain(const Dictionary* object) const {
  if (!arrangedSetValid_) rebuildArrangedSet();
  return arrangedSet_.count(object) != 0;
}

void ArrayController::rebuildArrangedSet() const {
  arrangedSet_.clear();
  arrangedSet_.reserve(arranged_.size());
  for (const auto& d : arranged_) arrangedSet_.insert(d.get());
  arrangedSetValid_ = true;
}

void ArrayController::setFilterPredicate(Predicate predicate) {
  filter_ = std::move(predicate);
  rearrangeObjects();
}

void ArrayController::setSortDescriptors(std::vector<SortDescriptor> descriptors) {
  sort_ = std::move(descriptors);
  sortedOrder_.forget();
}

namespace {
// Which objects pass the filter; on long lists tested side by side.
template <class ObjectAt>
std::vector<char> passing(const ArrayController::Predicate& filter, std::size_t n,
                          ObjectAt objectAt) {
  std::vector<char> out(n);
  const auto test = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const DictRef* d = objectAt(i);
      out[i] = static_cast<char>(d && *d && (!filter || filter(*d)));
    }
  };
  Parallel::forBlocks(
      n, 4096, filter ? Parallel::threadsFor(n, 8192) : 1,
      [&](std::size_t, std::size_t, std::size_t begin, std::size_t end) { test(begin, end); });
  return out;
}
}  // namespace

void ArrayController::rearrangeObjects() {
  const std::vector<DictRef> previouslySelected = selectedObjects();
  const std::vector<Value>& content = content_->values();
  const std::vector<char> shown =
      passing(filter_, content.size(), [&](std::size_t i) { return content[i].dictionaryRef(); });
  std::vector<std::uint32_t> picked;
  picked.reserve(content.size());
  if (sort_.empty()) {
    for (std::size_t i = 0; i < content.size(); ++i)
      if (shown[i]) picked.push_back(std::uint32_t(i));
  } else {
    for (const std::uint32_t i : sortedOrder_.of(content, sort_))
      if (shown[i]) picked.push_back(i);
  }
  // Taking a reference to each object touches each: side by side on long lists.
  std::vector<DictRef> next(picked.size());
  Parallel::forBlocks(next.size(), 8192, Parallel::threadsFor(next.size(), 16384),
                      [&](std::size_t, std::size_t, std::size_t begin, std::size_t end) {
                        for (std::size_t j = begin; j < end; ++j)
                          next[j] = *content[picked[j]].dictionaryRef();
                      });
  installArranged(std::move(next), previouslySelected);
}

void ArrayController::narrowFilterPredicate(Predicate predicate) {
  const std::vector<DictRef> previouslySelected = selectedObjects();
  filter_ = std::move(predicate);
  const std::vector<char> shown =
      passing(filter_, arranged_.size(), [&](std::size_t i) { return &arranged_[i]; });
  std::vector<DictRef> next;
  next.reserve(arranged_.size());
  for (std::size_t i = 0; i < arranged_.size(); ++i)
    if (shown[i]) next.push_back(arranged_[i]);
  installArranged(std::move(next), previouslySelected);
}

void ArrayController::installArranged(std::vector<DictRef> next,
                                      const std::vector<DictRef>& previouslySelected) {
  Q_EMIT arrangedObjectsAboutToReset();
  arranged_ = std::move(next);
  arrangedSetValid_ = false;

  // The selection follows its objects to their new rows.
  selection_.clear();
  if (!previouslySelected.empty()) {
    std::unordered_set<const Dictionary*> wanted;
    for (const auto& d : previouslySelected) wanted.insert(d.get());
    for (std::size_t i = 0; i < arranged_.size(); ++i)
      if (wanted.count(arranged_[i].get())) selection_.push_back(static_cast<qsizetype>(i));
  }
  if (selection_.empty() && !arranged_.empty()) selection_.push_back(0);
  Q_EMIT arrangedObjectsReset();
  Q_EMIT selectionChanged();
}

int ArrayController::compareObjects(const Dictionary& a, const Dictionary& b) const {
  for (std::size_t k = 0; k < sort_.size(); ++k)
    if (const int c =
            SortedOrder::compareValues(sort_[k], KeyPath::valueForKeyPath(a, sort_[k].keyPath),
                                       KeyPath::valueForKeyPath(b, sort_[k].keyPath)))
      return c;
  return 0;
}

void ArrayController::rearrangeObject(const DictRef& object) {
  if (!object) return;
  const std::vector<DictRef> selected = selectedObjects();
  const qsizetype at = arrangedIndexOf(object.get());
  const bool shown = !filter_ || filter_(object);
  if (!shown) {
    if (at == NotFound) return;
    removeArrangedAt(at);
    selectAfterRemoval(at);
    return;
  }
  // Where the sort wants it among the others: after its equals, as a stable sort keeps
  // an object added last.
  qsizetype target = at == NotFound ? qsizetype(arranged_.size()) : at;
  if (!sort_.empty()) {
    qsizetype lo = 0, hi = qsizetype(arranged_.size()) - (at == NotFound ? 0 : 1);
    const auto other = [&](qsizetype i) -> const Dictionary& {
      return *arranged_[std::size_t(at != NotFound && i >= at ? i + 1 : i)];
    };
    while (lo < hi) {
      const qsizetype mid = lo + (hi - lo) / 2;
      if (compareObjects(*object, other(mid)) < 0)
        hi = mid;
      else
        lo = mid + 1;
    }
    target = lo;
  }
  if (target == at) return;
  if (at != NotFound) removeArrangedAt(at);
  Q_EMIT objectAboutToBeInserted(target);
  arranged_.insert(arranged_.begin() + target, object);
  if (arrangedSetValid_) arrangedSet_.insert(object.get());
  Q_EMIT objectInserted(target);
  // The selection follows its objects.
  selection_.clear();
  for (const DictRef& d : selected)
    if (const qsizetype i = arrangedIndexOf(d.get()); i != NotFound) selection_.push_back(i);
  std::sort(selection_.begin(), selection_.end());
  if (selection_.empty() && !arranged_.empty()) selection_.push_back(0);
  Q_EMIT selectionChanged();
}

qsizetype ArrayController::selectionIndex() const {
  return selection_.empty() ? NotFound : selection_.front();
}

bool ArrayController::setSelectionIndex(qsizetype index) {
  if (index == NotFound) return setSelectionIndexes({});
  return setSelectionIndexes({index});
}

bool ArrayController::setSelectionIndexes(std::vector<qsizetype> indexes) {
  const auto size = static_cast<qsizetype>(arranged_.size());
  std::erase_if(indexes, [size](qsizetype i) { return i < 0 || i >= size; });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  if (indexes == selection_) return false;
  selection_ = std::move(indexes);
  Q_EMIT selectionChanged();
  return true;
}

std::vector<DictRef> ArrayController::selectedObjects() const {
  std::vector<DictRef> out;
  out.reserve(selection_.size());
  for (qsizetype i : selection_) out.push_back(arranged_[static_cast<std::size_t>(i)]);
  return out;
}

bool ArrayController::setSelectedObjects(const std::vector<DictRef>& objects) {
  std::unordered_set<const Dictionary*> wanted;
  for (const auto& d : objects) wanted.insert(d.get());
  std::vector<qsizetype> indexes;
  for (std::size_t i = 0; i < arranged_.size(); ++i)
    if (wanted.count(arranged_[i].get())) indexes.push_back(static_cast<qsizetype>(i));
  return setSelectionIndexes(std::move(indexes));
}

DictRef ArrayController::newObject() { return Dictionary::create(); }

void ArrayController::addObject(const DictRef& object) {
  if (!object) return;
  content_->append(object);
  Q_EMIT objectAboutToBeInserted(static_cast<qsizetype>(arranged_.size()));
  arranged_.push_back(object);
  if (arrangedSetValid_) arrangedSet_.insert(object.get());
  const auto index = static_cast<qsizetype>(arranged_.size()) - 1;
  Q_EMIT contentChanged();
  Q_EMIT objectInserted(index);
  setSelectionIndex(index);
}

void ArrayController::addObjects(const std::vector<DictRef>& objects) {
  std::vector<Value>& content = content_->values();
  content.reserve(content.size() + objects.size());
  for (const auto& object : objects)
    if (object) content.emplace_back(object);
  rearrangeObjects();
  Q_EMIT contentChanged();
}

void ArrayController::insertObject(const DictRef& object, qsizetype arrangedIndex) {
  if (!object) return;
  const auto shown = static_cast<qsizetype>(arranged_.size());
  const qsizetype at = std::clamp<qsizetype>(arrangedIndex, 0, shown);
  // Place it in the content just before the object now shown at that row.
  qsizetype contentIndex = content_->count();
  if (at < shown) {
    const qsizetype found = content_->indexOfIdentical(Value(arranged_[std::size_t(at)]));
    if (found >= 0) contentIndex = found;
  }
  content_->insert(contentIndex, object);
  Q_EMIT objectAboutToBeInserted(at);
  arranged_.insert(arranged_.begin() + at, object);
  if (arrangedSetValid_) arrangedSet_.insert(object.get());
  for (auto& i : selection_)
    if (i >= at) ++i;
  Q_EMIT contentChanged();
  Q_EMIT objectInserted(at);
  setSelectionIndex(at);
}

qsizetype ArrayController::arrangedIndexOf(const Dictionary* object) const {
  if (!object || !arrangedObjectsContain(object)) return NotFound;
  // Recently added rows are at the end; look there first.
  for (auto i = static_cast<qsizetype>(arranged_.size()) - 1; i >= 0; --i)
    if (arranged_[std::size_t(i)].get() == object) return i;
  return NotFound;
}

void ArrayController::noteObjectChanged(const Dictionary* object) {
  const qsizetype index = arrangedIndexOf(object);
  if (index != NotFound) Q_EMIT objectChanged(index);
}

void ArrayController::removeArrangedAt(qsizetype index) {
  Q_EMIT objectAboutToBeRemoved(index);
  if (arrangedSetValid_) arrangedSet_.erase(arranged_[std::size_t(index)].get());
  arranged_.erase(arranged_.begin() + index);
  Q_EMIT objectRemoved(index);
}

void ArrayController::selectAfterRemoval(qsizetype removedIndex) {
  std::vector<qsizetype> next;
  next.reserve(selection_.size());
  for (qsizetype i : selection_) {
    if (i < removedIndex)
      next.push_back(i);
    else if (i > removedIndex)
      next.push_back(i - 1);
  }
  // Like a table, keep a row selected when the selected one goes: its neighbour, else the first.
  if (next.empty() && !arranged_.empty())
    next.push_back(selection_.empty()
                       ? 0
                       : std::min(removedIndex, static_cast<qsizetype>(arranged_.size()) - 1));
  selection_ = std::move(next);
  Q_EMIT selectionChanged();
}

void ArrayController::removeObject(const DictRef& object) {
  if (!object) return;
  const qsizetype contentIndex = content_->lastIndexOfIdentical(Value(object));
  if (contentIndex < 0) return;
  content_->removeAt(contentIndex);
  const qsizetype arrangedIndex = arrangedIndexOf(object.get());
  if (arrangedIndex != NotFound) {
    removeArrangedAt(arrangedIndex);
    selectAfterRemoval(arrangedIndex);
  }
  Q_EMIT contentChanged();
}

void ArrayController::removeObjects(const std::vector<DictRef>& objects) {
  std::unordered_set<const Dictionary*> doomed;
  for (const auto& d : objects)
    if (d) doomed.insert(d.get());
  if (doomed.empty()) return;
  const auto selected = selectedObjects();
  auto gone = [&](const Dictionary* d) { return doomed.count(d) != 0; };
  std::erase_if(content_->values(), [&](const Value& v) { return gone(v.dictionaryPointer()); });
  Q_EMIT arrangedObjectsAboutToReset();
  std::erase_if(arranged_, [&](const DictRef& d) { return gone(d.get()); });
  arrangedSetValid_ = false;
  std::vector<DictRef> keep;
  for (const auto& d : selected)
    if (!gone(d.get())) keep.push_back(d);
  if (keep.empty() && !arranged_.empty()) keep.push_back(arranged_.front());
  selection_.clear();
  Q_EMIT arrangedObjectsReset();
  if (!setSelectedObjects(keep)) Q_EMIT selectionChanged();
  Q_EMIT contentChanged();
}

void ArrayController::remove() { removeObjects(selectedObjects()); }
