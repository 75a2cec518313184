#pragma once

#include <vector>

#include "platform/Value.h"

// A shared, ordered list of values (the model's arrays are reference objects, like the
// record list that the document and its list controller both hold).
class Array {
 public:
  explicit Array(bool isMutable = true) : mutable_(isMutable) {}
  Array(std::vector<Value> values, bool isMutable = true)
      : values_(std::move(values)), mutable_(isMutable) {}

  static ArrayRef create(bool isMutable = true) { return std::make_shared<Array>(isMutable); }
  static ArrayRef create(std::vector<Value> values, bool isMutable = true) {
    return std::make_shared<Array>(std::move(values), isMutable);
  }

  bool isMutable() const { return mutable_; }
  void setMutable(bool isMutable) { mutable_ = isMutable; }

  qsizetype count() const { return static_cast<qsizetype>(values_.size()); }
  bool isEmpty() const { return values_.empty(); }
  const Value& at(qsizetype index) const { return values_[static_cast<std::size_t>(index)]; }
  std::vector<Value>& values() { return values_; }
  const std::vector<Value>& values() const { return values_; }

  void append(Value value) { values_.push_back(std::move(value)); }
  void insert(qsizetype index, Value value);
  void removeAt(qsizetype index);
  // Position of the very object (identity for containers), searching from the end, where
  // recently added objects are; -1 when absent.
  qsizetype lastIndexOfIdentical(const Value& value) const;
  qsizetype indexOfIdentical(const Value& value) const;

  // A new mutable array holding the same values (containers are shared, not copied).
  ArrayRef copy() const { return create(values_, true); }

 private:
  std::vector<Value> values_;
  bool mutable_;
};
