#include "Common/ZVValueNotEqualToRef.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueNotEqualToRef::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  return number(int16Of(v) != myRefValue ? 1 : 0);
}

QMetaType ZVValueNotEqualToRef::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
