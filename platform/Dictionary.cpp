#include "platform/Dictionary.h"

#include <QSet>
#include <algorithm>

namespace {
constexpr qsizetype kIndexThreshold = 24;

const Value& absentValue() {
  static const Value absent;
  return absent;
}
}  // namespace

DictionaryKeys::DictionaryKeys(std::vector<QString> keys) : keys_(std::move(keys)) {
  if (count() >= kIndexThreshold) buildIndex();
}

void DictionaryKeys::buildIndex() {
  index_ = std::make_unique<QHash<QString, qsizetype>>();
  index_->reserve(count());
  // The first of a key given twice, as a scan finds it.
  for (qsizetype i = count() - 1; i >= 0; --i)
    index_->insert(keys_[static_cast<std::size_t>(i)], i);
}

qsizetype DictionaryKeys::indexOf(QStringView key) const {
  if (!index_) {
    for (qsizetype i = 0; i < count(); ++i)
      if (keys_[static_cast<std::size_t>(i)] == key) return i;
    return -1;
  }
  const auto found = index_->constFind(key.toString());
  return found == index_->cend() ? -1 : found.value();
}

bool DictionaryKeys::hasDuplicates() const {
  QSet<QString> seen;
  seen.reserve(count());
  for (const QString& key : keys_) {
    if (seen.contains(key)) return true;
    seen.insert(key);
  }
  return false;
}

void DictionaryKeys::append(const QString& key) {
  keys_.push_back(key);
  if (index_)
    index_->insert(key, count() - 1);
  else if (count() >= kIndexThreshold)
    buildIndex();
}

void DictionaryKeys::removeAt(qsizetype i) {
  if (index_) {
    // Kept, not rebuilt: the later keys only move down by one.
    index_->remove(keys_[static_cast<std::size_t>(i)]);
    for (auto it = index_->begin(); it != index_->end(); ++it)
      if (it.value() > i) --it.value();
  }
  keys_.erase(keys_.begin() + i);
}

const DictionaryKeysRef& Dictionary::emptyKeys() {
  static const DictionaryKeysRef empty = std::make_shared<const DictionaryKeys>();
  return empty;
}

DictRef Dictionary::create(DictionaryKeysRef keys, std::vector<Value> values, bool isMutable) {
  if (!keys || keys->count() != static_cast<qsizetype>(values.size())) return {};
  auto d = std::make_shared<Dictionary>(isMutable);
  d->keys_ = std::move(keys);
  d->values_ = std::move(values);
  return d;
}

DictionaryKeys& Dictionary::ownKeys() {
  if (keys_.use_count() > 1) {
    auto own = std::make_shared<DictionaryKeys>(keys_->keys_);
    keys_ = own;
    return *own;
  }
  return const_cast<DictionaryKeys&>(*keys_);  // held by this dictionary alone
}

const Value& Dictionary::value(QStringView key) const {
  const qsizetype i = indexOf(key);
  return i < 0 ? absentValue() : values_[static_cast<std::size_t>(i)];
}

void Dictionary::setValue(const QString& key, Value value) {
  if (value.isAbsent()) {
    removeValue(key);
    return;
  }
  const qsizetype i = indexOf(key);
  if (i >= 0) {
    values_[static_cast<std::size_t>(i)] = std::move(value);
    return;
  }
  appendKey(key);
  // Dictionaries grow by a key or two once made: a little room, not twice their size.
  if (values_.capacity() == values_.size())
    values_.reserve(values_.size() + std::max<std::size_t>(2, values_.size() / 8));
  values_.push_back(std::move(value));
}

void Dictionary::appendKey(const QString& key) {
  if (keys_.use_count() == 1) {
    const_cast<DictionaryKeys&>(*keys_).append(key);  // held by this dictionary alone
    return;
  }
  for (const auto& [added, extended] : keys_->extensions_)
    if (added == key) {
      keys_ = extended;
      return;
    }
  auto extended = std::make_shared<DictionaryKeys>(keys_->keys_);
  extended->append(key);
  // A handful at most in practice; a list that many dictionaries extend differently stops
  // remembering rather than growing.
  if (keys_->extensions_.size() < 8) keys_->extensions_.emplace_back(key, extended);
  keys_ = std::move(extended);
}

void Dictionary::removeValue(QStringView key) {
  const qsizetype i = indexOf(key);
  if (i < 0) return;
  ownKeys().removeAt(i);
  values_.erase(values_.begin() + i);
}

void Dictionary::removeAll() {
  keys_ = emptyKeys();
  values_.clear();
}

QStringList Dictionary::keys() const {
  QStringList out;
  out.reserve(count());
  for (qsizetype i = 0; i < count(); ++i) out.push_back(keyAt(i));
  return out;
}

DictRef Dictionary::copy() const {
  auto out = create(true);
  out->keys_ = keys_;
  out->values_ = values_;
  return out;
}
