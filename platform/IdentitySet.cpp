#include "platform/IdentitySet.h"

bool IdentitySet::append(const DictRef& object) {
  if (!object || contains(object.get())) return false;
  index_.emplace(object.get(), slots_.size());
  slots_.push_back(object);
  return true;
}

bool IdentitySet::remove(const Dictionary* object) {
  const auto found = index_.find(object);
  if (found == index_.end()) return false;
  slots_[found->second].reset();
  index_.erase(found);
  // Sweep once holes outnumber members, so removal stays amortised constant.
  if (slots_.size() > 16 && index_.size() * 2 < slots_.size()) compact();
  return true;
}

void IdentitySet::clear() {
  slots_.clear();
  index_.clear();
}

std::vector<DictRef> IdentitySet::toVector() const {
  std::vector<DictRef> out;
  out.reserve(index_.size());
  forEach([&](const DictRef& d) { out.push_back(d); });
  return out;
}

void IdentitySet::compact() {
  std::size_t next = 0;
  for (auto& slot : slots_) {
    if (!slot) continue;
    index_[slot.get()] = next;
    slots_[next++] = std::move(slot);
  }
  slots_.resize(next);
}
