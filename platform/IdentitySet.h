#pragma once

#include <unordered_map>
#include <vector>

#include "platform/Value.h"

// An insertion-ordered set of dictionaries compared by identity, with constant-time
// membership, append and removal, so bulk work on large lists stays linear.
class IdentitySet {
 public:
  qsizetype count() const { return static_cast<qsizetype>(index_.size()); }
  bool isEmpty() const { return index_.empty(); }
  bool contains(const Dictionary* object) const { return index_.count(object) != 0; }
  // Appends unless already present; answers whether it was added.
  bool append(const DictRef& object);
  // Answers whether it was present.
  bool remove(const Dictionary* object);
  void clear();

  // The members in insertion order.
  std::vector<DictRef> toVector() const;
  template <typename F>
  void forEach(F&& f) const {
    for (const auto& slot : slots_)
      if (slot) f(slot);
  }

 private:
  void compact();

  std::vector<DictRef> slots_;  // empty slots are removed members, swept by compact()
  std::unordered_map<const Dictionary*, std::size_t> index_;
};
