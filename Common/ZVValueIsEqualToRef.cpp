#include "Common/ZVValueIsEqualToRef.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueIsEqualToRef::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  return number(int16Of(v) == myRefValue ? 1 : 0);
}

QVariant ZVValueIsEqualToRef::reverseTransformedValue(const QVariant& value) const {
  if (!boolOf(read(value))) return {};
  return number(myRefValue);
}

QMetaType ZVValueIsEqualToRef::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
