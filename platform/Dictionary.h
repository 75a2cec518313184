#pragma once

#include <QHash>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "platform/IdentitySet.h"
#include "platform/Value.h"

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

  // A category's member records. Held beside the keys, never among them, so it can never
  // reach a file or a key-path lookup by accident.
  IdentitySet* records() { return records_.get(); }
  const IdentitySet* records() const { return records_.get(); }
  IdentitySet& ensureRecords();
  void setRecords(std::unique_ptr<IdentitySet> records) { records_ = std::move(records); }

 private:
  qsizetype indexOf(QStringView key) const;
  void rebuildIndex() const;

  std::vector<Entry> entries_;
  // Built only for large dictionaries; small ones are scanned, which is faster.
  mutable std::unique_ptr<QHash<QString, qsizetype>> index_;
  std::unique_ptr<IdentitySet> records_;
  bool mutable_;
};
