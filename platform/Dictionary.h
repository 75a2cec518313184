#pragma once

#include <QHash>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Value.h"

// What the program keeps with a dictionary in memory only: never one of its keys, never
// copied, never written, never reached by a key path.
class DictionaryAttachment {
 public:
  virtual ~DictionaryAttachment() = default;
};

// A shared, mutable dictionary whose identity is its address: "the very category" is the
// same Dictionary object, not an equal one. Keys keep their insertion order, and keys the
// program does not know are kept and written back.
class Dictionary {
 public:
  using Entry = std::pair<QString, Value>;

  explicit Dictionary(bool isMutable = true) : mutable_(isMutable) {}
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  static DictRef create(bool isMutable = true) { return std::make_shared<Dictionary>(isMutable); }

  bool isMutable() const { return mutable_; }
  void setMutable(bool isMutable) { mutable_ = isMutable; }

  qsizetype count() const { return static_cast<qsizetype>(entries_.size()); }
  // Room for this many keys: readers that know the count allocate once.
  void reserve(qsizetype count) { entries_.reserve(static_cast<std::size_t>(count)); }
  bool isEmpty() const { return entries_.empty(); }
  bool contains(QStringView key) const { return indexOf(key) >= 0; }
  // The value under key; an absent Value when there is none.
  const Value& value(QStringView key) const;
  // Sets the value; an absent value removes the key, as setting nil does.
  void setValue(const QString& key, Value value);
  void removeValue(QStringView key);
  void removeAll();

  const std::vector<Entry>& entries() const { return entries_; }
  QStringList keys() const;

  // A new mutable dictionary with the same keys and values (a shallow copy).
  DictRef copy() const;

  DictionaryAttachment* attachment() const { return attachment_.get(); }
  void setAttachment(std::unique_ptr<DictionaryAttachment> attachment) {
    attachment_ = std::move(attachment);
  }

 private:
  qsizetype indexOf(QStringView key) const;
  void rebuildIndex() const;

  std::vector<Entry> entries_;
  // Built only for large dictionaries; small ones are scanned, which is faster.
  mutable std::unique_ptr<QHash<QString, qsizetype>> index_;
  std::unique_ptr<DictionaryAttachment> attachment_;
  bool mutable_;
};
