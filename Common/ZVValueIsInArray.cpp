#include "Common/ZVValueIsInArray.h"

#include <algorithm>

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueIsInArray::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  return flag(std::any_of(myRefArray.begin(), myRefArray.end(),
                          [&v](const Value& member) { return sameValue(member, v); }));
}

QMetaType ZVValueIsInArray::transformedValueClass() const { return QMetaType::fromType<Value>(); }
