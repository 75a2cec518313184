#include "platform/Dictionary.h"

namespace {
constexpr qsizetype kIndexThreshold = 24;

const Value& absentValue() {
  static const Value absent;
  return absent;
}
}  // namespace

qsizetype Dictionary::indexOf(QStringView key) const {
  if (count() < kIndexThreshold) {
    for (qsizetype i = 0; i < count(); ++i)
      if (entries_[static_cast<std::size_t>(i)].first == key) return i;
    return -1;
  }
  if (!index_) rebuildIndex();
  const auto found = index_->constFind(key.toString());
  return found == index_->cend() ? -1 : found.value();
}

void Dictionary::rebuildIndex() const {
  index_ = std::make_unique<QHash<QString, qsizetype>>();
  index_->reserve(count());
  for (qsizetype i = 0; i < count(); ++i)
    index_->insert(entries_[static_cast<std::size_t>(i)].first, i);
}

const Value& Dictionary::value(QStringView key) const {
  const qsizetype i = indexOf(key);
  return i < 0 ? absentValue() : entries_[static_cast<std::size_t>(i)].second;
}

void Dictionary::setValue(const QString& key, Value value) {
  if (value.isAbsent()) {
    removeValue(key);
    return;
  }
  const qsizetype i = indexOf(key);
  if (i >= 0) {
    entries_[static_cast<std::size_t>(i)].second = std::move(value);
    return;
  }
  entries_.emplace_back(key, std::move(value));
  if (index_) index_->insert(key, count() - 1);
}

void Dictionary::removeValue(QStringView key) {
  const qsizetype i = indexOf(key);
  if (i < 0) return;
  if (index_) {
    // Kept, not rebuilt: the later entries only move down by one.
    index_->remove(entries_[static_cast<std::size_t>(i)].first);
    for (auto it = index_->begin(); it != index_->end(); ++it)
      if (it.value() > i) --it.value();
  }
  entries_.erase(entries_.begin() + i);
}

void Dictionary::removeAll() {
  entries_.clear();
  index_.reset();
}

QStringList Dictionary::keys() const {
  QStringList out;
  out.reserve(count());
  for (const auto& entry : entries_) out.push_back(entry.first);
  return out;
}

DictRef Dictionary::copy() const {
  auto out = create(true);
  out->entries_ = entries_;
  return out;
}
