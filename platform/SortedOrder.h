#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Collation.h"
#include "platform/Dictionary.h"

// One key of a list's order: a key path, the direction, and how two values compare.
struct SortDescriptor {
  SortDescriptor() = default;
  SortDescriptor(QString keyPath, bool ascending,
                 std::function<int(const Value&, const Value&)> compare = {},
                 std::shared_ptr<const Collation> collator = {})
      : keyPath(std::move(keyPath)),
        ascending(ascending),
        compare(std::move(compare)),
        collator(std::move(collator)) {}

  QString keyPath;
  bool ascending = true;
  // Negative, zero or positive; the default compares strings, numbers and dates naturally.
  std::function<int(const Value&, const Value&)> compare;
  // When set, strings are ordered by this collation instead of compare: one collation for
  // the whole sort and one sort key per object, never a collation per comparison. Values
  // that are not strings (a missing one) come before every string.
  std::shared_ptr<const Collation> collator;
};

// The sorted order of a list's content, kept from one arrangement to the next: while every
// object still holds the very values it was sorted by, the order is given again; a few edited
// objects are moved to their places; anything else sorts afresh. Long lists are sorted on
// several threads.
class SortedOrder {
 public:
  // The content's dictionaries, as indexes into it, in the order the descriptors give.
  const std::vector<std::uint32_t>& of(const std::vector<Value>& content,
                                       const std::vector<SortDescriptor>& sort);
  // The next call sorts afresh (new content, new descriptors).
  void forget() { last_ = {}; }

  // Negative, zero or positive, as x and y order under d.
  static int compareValues(const SortDescriptor& d, const Value& x, const Value& y);

 private:
  // Brings the last sort up to date if it can: true when nothing changed since, or when the
  // few objects whose sort values changed were moved to their new places.
  bool repair(const std::vector<Value>& content, const std::vector<SortDescriptor>& sort);

  // The objects of the last sort, the values each was sorted by (strings share their
  // characters with the objects' own fields, so an edited field never passes for the one
  // sorted by) and the order found.
  struct Last {
    std::vector<const Dictionary*> objects;
    std::vector<Value> values;  // objects.size() x the number of descriptors
    std::vector<std::uint32_t> order;
    bool valid = false;
  };
  Last last_;
};
