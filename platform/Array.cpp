#include "platform/Array.h"

void Array::insert(qsizetype index, Value value) {
  const auto at = std::clamp<qsizetype>(index, 0, count());
  values_.insert(values_.begin() + at, std::move(value));
}

void Array::removeAt(qsizetype index) {
  if (index < 0 || index >= count()) return;
  values_.erase(values_.begin() + index);
}

qsizetype Array::lastIndexOfIdentical(const Value& value) const {
  for (qsizetype i = count() - 1; i >= 0; --i) {
    if (values_[static_cast<std::size_t>(i)].isSameObject(value)) return i;
  }
  return -1;
}

qsizetype Array::indexOfIdentical(const Value& value) const {
  for (qsizetype i = 0; i < count(); ++i) {
    if (values_[static_cast<std::size_t>(i)].isSameObject(value)) return i;
  }
  return -1;
}
