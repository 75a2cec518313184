#include "Common/ZVValueMultipliedBy.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueMultipliedBy::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  const float product = floatOf(v) * myRefValue.toFloat(0.0f);
  return QVariant::fromValue(Value::real(static_cast<double>(product)));
}

QMetaType ZVValueMultipliedBy::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
