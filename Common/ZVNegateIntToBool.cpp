#include "Common/ZVNegateIntToBool.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVNegateIntToBool::transformedValue(const QVariant& value) const {
  return flag(int32Of(read(value)) == 0);
}

QVariant ZVNegateIntToBool::reverseTransformedValue(const QVariant& value) const {
  return number(boolOf(read(value)) ? 0 : 1);
}

QMetaType ZVNegateIntToBool::transformedValueClass() const { return QMetaType::fromType<Value>(); }
