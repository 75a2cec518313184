#include "platform/SortedOrder.h"

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

}  // namespace

int SortedOrder::compareValues(const SortDescriptor& d, const Value& x, const Value& y) {
  int c = 0;
  if (d.collator) {
    const Collation::Keys keys = d.collator->keys({x.stringPointer(), y.stringPointer()});
    c = keys.has(0) && keys.has(1) ? keys.compare(0, 1) : int(keys.has(0)) - int(keys.has(1));
  } else {
    c = d.compare ? d.compare(x, y) : naturalCompare(x, y);
  }
  return d.ascending ? c : -c;
}

bool SortedOrder::repair(const std::vector<Value>& content,
                         const std::vector<SortDescriptor>& sort) {
  Last& last = last_;
  if (!last.valid || content.size() != last.objects.size()) return false;
  const std::size_t keys = sort.size();
  // The objects whose sort values changed since, with their values now; a few are moved
  // to their new places, more are sorted again with the rest.
  const std::size_t repairable = content.size() / 32;
  std::vector<std::pair<std::uint32_t, std::vector<Value>>> changed;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const Dictionary* object = content[i].dictionaryPointer();
    if (object != last.objects[i]) return false;
    if (!object) continue;
    for (std::size_t k = 0; k < keys; ++k) {
      const QString& path = sort[k].keyPath;
      const Value& then = last.values[i * keys + k];
      if (path.contains(u'.') ? sameSortValue(KeyPath::valueForKeyPath(*object, path), then)
                              : sameSortValue(object->value(path), then))
        continue;
      if (changed.size() == repairable) return false;
      std::vector<Value> now(keys);
      for (std::size_t key = 0; key < keys; ++key) {
        const QString& keyPath = sort[key].keyPath;
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
      if (const int c =
              compareValues(sort[k], last.values[a * keys + k], last.values[b * keys + k]))
        return c < 0;
    return a < b;
  };
  for (const auto& moved : changed) {
    const std::uint32_t i = moved.first;
    last.order.insert(std::lower_bound(last.order.begin(), last.order.end(), i, before), i);
  }
  return true;
}

const std::vector<std::uint32_t>& SortedOrder::of(const std::vector<Value>& content,
                                                  const std::vector<SortDescriptor>& sort) {
  if (repair(content, sort)) return last_.order;
  const std::size_t keys = sort.size();
  Last next;
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
    const QString& path = sort[k].keyPath;
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
    if (!sort[k].collator) continue;
    std::vector<const QString*> strings(n);
    for (std::size_t j = 0; j < n; ++j) strings[j] = valueOf(j, k).stringPointer();
    collated[k] = sort[k].collator->keys(strings);
  }
  std::vector<std::uint32_t> order(n);
  if (keys == 1 && sort[0].collator) {
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
    const bool ascending = sort[0].ascending;
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
        const auto& d = sort[k];
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
  last_ = std::move(next);
  return last_.order;
}
