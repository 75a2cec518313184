#include "Common/ZVValueIsInSet.h"

#include <algorithm>

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueIsInSet::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  return flag(std::any_of(myRefSet.begin(), myRefSet.end(),
                          [&v](const Value& member) { return sameValue(member, v); }));
}

QMetaType ZVValueIsInSet::transformedValueClass() const { return QMetaType::fromType<Value>(); }
