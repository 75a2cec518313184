#include "platform/ArrayController.h"

#include <algorithm>
#include <atomic>

#include "platform/KeyPath.h"
#include "platform/Parallel.h"

namespace {
int naturalCompare(const Value& a, const Value& b) {
  if (a.isString() && b.isString()) return a.toString().compare(b.toString());
  if (a.isNumber() && b.isNumber()) {
    const double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (a.isDate() && b.isDate()) {
    const auto x = a.toDate(), y = b.toDate();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  // Missing values sort first; otherwise order by kind so the sort stays strict.
  const int ka = static_cast<int>(a.type()), kb = static_cast<int>(b.type());
  return ka < kb ? -1 : (ka > kb ? 1 : 0);
}
}  // namespace

ArrayController::ArrayController(QObject* parent) : QObject(parent), content_(Array::create()) {}

void ArrayController::setContent(ArrayRef content) {
  content_ = content ? std::move(content) : Array::create();
  sortedContent_ = {};
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
  sortedContent_ = {};
}

namespace {
// Whether a field still holds what it was sorted by: the very characters for a string (held,
// so they cannot be freed and others take their place), an equal value otherwise.
bool sameSortValue(const Value& now, const Value& then) {
  const QString* a = now.stringPointer();
  const QString* b = then.stringPointer();
  if (a || b) return a && b && a->size() == b->size() && a->constData() == b->constData();
  return now == then;
}

// A plain key's value in many dictionaries, found once per key list they share.
class PlainKeyLookup {
 public:
  explicit PlainKeyLookup(const QString& key) : key_(key) {}
  const Value& in(const Dictionary& object) {
    const DictionaryKeys* keys = object.keyList().get();
    if (keys != keys_) {
      keys_ = keys;
      at_ = -1;
      for (qsizetype i = 0; keys && i < keys->count() && at_ < 0; ++i)
        if (keys->at(i) == key_) at_ = i;
    }
    static const Value absent;
    return at_ >= 0 && at_ < object.count() ? object.valueAt(at_) : absent;
  }

 private:
  const QString& key_;
  const DictionaryKeys* keys_ = nullptr;
  qsizetype at_ = -1;
};

// Which objects pass the filter; on long lists tested side by side.
template <class ObjectAt>
std::vector<char> passing(const ArrayController::Predicate& filter, std::size_t n,
                          ObjectAt objectAt) {
  std::vector<char> out(n);
  const auto test = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const DictRef* d = objectAt(i);
      out[i] = d && *d && (!filter || filter(*d));
    }
  };
  Parallel::forBlocks(
      n, 4096, filter ? Parallel::threadsFor(n, 8192) : 1,
      [&](std::size_t, std::size_t, std::size_t begin, std::size_t end) { test(begin, end); });
  return out;
}
}  // namespace

bool ArrayController::repairSortedContent() {
  SortedContent& last = sortedContent_;
  const std::vector<Value>& content = content_->values();
  if (!last.valid || content.size() != last.objects.size()) return false;
  const std::size_t keys = sort_.size();
  // The objects whose sort values changed since, with their values now; a few are moved
  // to their new places, more are sorted again with the rest.
  const std::size_t repairable = content.size() / 32;
  std::vector<std::pair<std::uint32_t, std::vector<Value>>> changed;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const Dictionary* object = content[i].dictionaryPointer();
    if (object != last.objects[i]) return false;
    if (!object) continue;
    for (std::size_t k = 0; k < keys; ++k) {
      const QString& path = sort_[k].keyPath;
      const Value& then = last.values[i * keys + k];
      if (path.contains(u'.') ? sameSortValue(KeyPath::valueForKeyPath(*object, path), then)
                              : sameSortValue(object->value(path), then))
        continue;
      if (changed.size() == repairable) return false;
      std::vector<Value> now(keys);
      for (std::size_t key = 0; key < keys; ++key) {
        const QString& keyPath = sort_[key].keyPath;
        now[key] = keyPath.contains(u'.') ? KeyPath::valueForKeyPath(*object, keyPath)
                                          : object->value(keyPath);
        if (now[key].isArray() || now[key].isDictionary()) return false;
      }
      changed.emplace_back(std::uint32_t(i), std::move(now));
      break;
    }
  }
  if (changed.empty()) return true;
  std::vector<char> moving(content.size());
  for (auto& [i, now] : changed) {
    moving[i] = 1;
    std::move(now.begin(), now.end(), last.values.begin() + std::ptrdiff_t(i * keys));
  }
  std::erase_if(last.order, [&](std::uint32_t i) { return moving[i] != 0; });
  // Where a stable sort of the whole content puts it: after its equals that come before it
  // in the content, before those that come after.
  const auto before = [&](std::uint32_t a, std::uint32_t b) {
    for (std::size_t k = 0; k < keys; ++k)
      if (const int c = compareValues(k, last.values[a * keys + k], last.values[b * keys + k]))
        return c < 0;
    return a < b;
  };
  for (const auto& moved : changed) {
    const std::uint32_t i = moved.first;
    last.order.insert(std::lower_bound(last.order.begin(), last.order.end(), i, before), i);
  }
  return true;
}

const std::vector<std::uint32_t>& ArrayController::sortedContent() {
  if (repairSortedContent()) return sortedContent_.order;
  const std::vector<Value>& content = content_->values();
  const std::size_t keys = sort_.size();
  SortedContent next;
  next.objects.reserve(content.size());
  std::vector<std::uint32_t> items;  // the content's dictionaries, by index
  items.reserve(content.size());
  for (std::size_t i = 0; i < content.size(); ++i) {
    next.objects.push_back(content[i].dictionaryPointer());
    if (next.objects.back()) items.push_back(std::uint32_t(i));
  }
  const std::size_t n = items.size();
  // Each sort value resolved once per object, not once per comparison; a container is
  // compared by what it holds, which a kept copy does not pin down, so none is kept.
  next.values.resize(content.size() * keys);
  std::atomic<bool> keepable = true;
  for (std::size_t k = 0; k < keys; ++k) {
    const QString& path = sort_[k].keyPath;
    const bool dotted = path.contains(u'.');
    // A plain key is looked up side by side on long lists.
    Parallel::forBlocks(n, 4096, dotted ? 1 : Parallel::threadsFor(n, 8192),
                        [&](std::size_t, std::size_t, std::size_t begin, std::size_t end) {
                          PlainKeyLookup plain(path);
                          bool kept = true;
                          for (std::size_t j = begin; j < end; ++j) {
                            const std::uint32_t i = items[j];
                            Value& v = next.values[i * keys + k];
                            v = dotted ? KeyPath::valueForKeyPath(*next.objects[i], path)
                                       : plain.in(*next.objects[i]);
                            kept = kept && !v.isArray() && !v.isDictionary();
                          }
                          if (!kept) keepable = false;
                        });
  }
  const auto valueOf = [&](std::size_t item, std::size_t k) -> const Value& {
    return next.values[items[item] * keys + k];
  };
  // Collated keys: one sort key per string, made once.
  std::vector<Collation::Keys> collated(keys);
  for (std::size_t k = 0; k < keys; ++k) {
    if (!sort_[k].collator) continue;
    std::vector<const QString*> strings(n);
    for (std::size_t j = 0; j < n; ++j) strings[j] = valueOf(j, k).stringPointer();
    collated[k] = sort_[k].collator->keys(strings);
  }
  std::vector<std::uint32_t> order(n);
  if (keys == 1 && sort_[0].collator) {
    // The usual case, one collated column: entries carry their key's prefix, so most
    // comparisons never leave the array being sorted.
    struct Entry {
      std::uint64_t prefix;
      std::uint32_t index;
      bool has;
    };
    const Collation::Keys& k = collated[0];
    std::vector<Entry> entries(n);
    for (std::size_t j = 0; j < n; ++j) entries[j] = {k.prefix(j), std::uint32_t(j), k.has(j)};
    const bool ascending = sort_[0].ascending;
    Parallel::stableSort(entries, [&](const Entry& a, const Entry& b) {
      int c = 0;
      if (a.has != b.has)
        c = int(a.has) - int(b.has);
      else if (!a.has)
        c = 0;
      else if (a.prefix != b.prefix)
        c = a.prefix < b.prefix ? -1 : 1;
      else
        c = k.compare(a.index, b.index);
      return ascending ? c < 0 : c > 0;
    });
    for (std::size_t j = 0; j < n; ++j) order[j] = entries[j].index;
  } else {
    for (std::size_t j = 0; j < n; ++j) order[j] = std::uint32_t(j);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
      for (std::size_t k = 0; k < keys; ++k) {
        const auto& d = sort_[k];
        int c = 0;
        if (d.collator) {
          const Collation::Keys& keys = collated[k];
          const bool a = keys.has(x), b = keys.has(y);
          c = a && b ? keys.compare(x, y) : int(a) - int(b);
        } else {
          c = d.compare ? d.compare(valueOf(x, k), valueOf(y, k))
                        : naturalCompare(valueOf(x, k), valueOf(y, k));
        }
        if (!d.ascending) c = -c;
        if (c != 0) return c < 0;
      }
      return false;
    });
  }
  for (std::uint32_t& j : order) j = items[j];
  next.order = std::move(order);
  next.valid = keepable.load();
  sortedContent_ = std::move(next);
  return sortedContent_.order;
}

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
    for (const std::uint32_t i : sortedContent())
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

int ArrayController::compareValues(std::size_t k, const Value& x, const Value& y) const {
  const SortDescriptor& d = sort_[k];
  int c = 0;
  if (d.collator) {
    const Collation::Keys keys = d.collator->keys({x.stringPointer(), y.stringPointer()});
    c = keys.has(0) && keys.has(1) ? keys.compare(0, 1) : int(keys.has(0)) - int(keys.has(1));
  } else {
    c = d.compare ? d.compare(x, y) : naturalCompare(x, y);
  }
  return d.ascending ? c : -c;
}

int ArrayController::compareObjects(const Dictionary& a, const Dictionary& b) const {
  for (std::size_t k = 0; k < sort_.size(); ++k)
    if (const int c = compareValues(k, KeyPath::valueForKeyPath(a, sort_[k].keyPath),
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
