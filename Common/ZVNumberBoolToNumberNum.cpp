#include "Common/ZVNumberBoolToNumberNum.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVNumberBoolToNumberNum::transformedValue(const QVariant& value) const {
  return number(boolOf(read(value)) ? 1 : 0);
}

QVariant ZVNumberBoolToNumberNum::reverseTransformedValue(const QVariant& value) const {
  return flag(integerOf(read(value)) != 0);
}

QMetaType ZVNumberBoolToNumberNum::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
