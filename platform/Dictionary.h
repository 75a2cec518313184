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

// The ordered keys of dictionaries. Records share one list between them (a copy, a new record,
// or records read from one file with the same keys), so a key costs nothing per record; a
// dictionary that adds or removes a key while its list is shared takes a list of its own.
class DictionaryKeys {
 public:
  explicit DictionaryKeys(std::vector<QString> keys = {});

  qsizetype count() const { return static_cast<qsizetype>(keys_.size()); }
  const QString& at(qsizetype i) const { return keys_[static_cast<std::size_t>(i)]; }
  std::vector<QString>::const_iterator begin() const { return keys_.begin(); }
  std::vector<QString>::const_iterator end() const { return keys_.end(); }
  qsizetype indexOf(QStringView key) const;
  // Whether the list holds a key twice (a dictionary cannot use such a list).
  bool hasDuplicates() const;

 private:
  friend class Dictionary;
  void append(const QString& key);
  void removeAt(qsizetype i);
  void buildIndex();

  std::vector<QString> keys_;
  // The lists this one becomes with one key more, as dictionaries that share it add that key
  // (records all gaining the same key keep sharing one list).
  mutable std::vector<std::pair<QString, std::shared_ptr<const DictionaryKeys>>> extensions_;
  // Long lists are indexed as they are made or grow, short ones scanned (which is faster):
  // looking a key up only reads, so many threads may look up in one list at once.
  std::unique_ptr<QHash<QString, qsizetype>> index_;
};
using DictionaryKeysRef = std::shared_ptr<const DictionaryKeys>;

// A shared, mutable dictionary whose identity is its address: "the very category" is the
// same Dictionary object, not an equal one. Keys keep their insertion order, and keys the
// program does not know are kept and written back.
class Dictionary {
 public:
  explicit Dictionary(bool isMutable = true) : mutable_(isMutable) {}
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  static DictRef create(bool isMutable = true) { return std::make_shared<Dictionary>(isMutable); }
  // A dictionary of these keys and values, one value per key, keys distinct (or nothing).
  // The key list may be shared with other dictionaries.
  static DictRef create(DictionaryKeysRef keys, std::vector<Value> values, bool isMutable = true);

  bool isMutable() const { return mutable_; }
  void setMutable(bool isMutable) { mutable_ = isMutable; }

  qsizetype count() const { return static_cast<qsizetype>(values_.size()); }
  bool isEmpty() const { return values_.empty(); }
  bool contains(QStringView key) const { return indexOf(key) >= 0; }
  // The value under key; an absent Value when there is none.
  const Value& value(QStringView key) const;
  // Sets the value; an absent value removes the key, as setting nil does.
  void setValue(const QString& key, Value value);
  void removeValue(QStringView key);
  void removeAll();

  // Keys and values by position, in insertion order.
  const QString& keyAt(qsizetype i) const { return keys_->at(i); }
  const Value& valueAt(qsizetype i) const { return values_[static_cast<std::size_t>(i)]; }
  const std::vector<Value>& values() const { return values_; }
  const DictionaryKeysRef& keyList() const { return keys_; }
  QStringList keys() const;

  // (key, value) pairs in order, for range-for loops.
  class Entries {
   public:
    class Iterator {
     public:
      Iterator(const Dictionary* d, qsizetype i) : d_(d), i_(i) {}
      std::pair<const QString&, const Value&> operator*() const {
        return {d_->keyAt(i_), d_->valueAt(i_)};
      }
      Iterator& operator++() {
        ++i_;
        return *this;
      }
      bool operator!=(const Iterator& other) const { return i_ != other.i_; }

     private:
      const Dictionary* d_;
      qsizetype i_;
    };
    explicit Entries(const Dictionary* d) : d_(d) {}
    Iterator begin() const { return {d_, 0}; }
    Iterator end() const { return {d_, d_->count()}; }

   private:
    const Dictionary* d_;
  };
  Entries entries() const { return Entries(this); }

  // A new mutable dictionary with the same keys and values (a shallow copy; the key list is
  // shared).
  DictRef copy() const;

  DictionaryAttachment* attachment() const { return attachment_.get(); }
  void setAttachment(std::unique_ptr<DictionaryAttachment> attachment) {
    attachment_ = std::move(attachment);
  }

 private:
  qsizetype indexOf(QStringView key) const { return keys_->indexOf(key); }
  // The key list, made this dictionary's own before it changes.
  DictionaryKeys& ownKeys();
  void appendKey(const QString& key);

  DictionaryKeysRef keys_ = emptyKeys();
  std::vector<Value> values_;
  std::unique_ptr<DictionaryAttachment> attachment_;
  bool mutable_;

  static const DictionaryKeysRef& emptyKeys();
};
