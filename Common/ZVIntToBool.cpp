#include "Common/ZVIntToBool.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVIntToBool::transformedValue(const QVariant& value) const {
  return flag(int32Of(read(value)) != 0);
}

QVariant ZVIntToBool::reverseTransformedValue(const QVariant& value) const {
  return number(boolOf(read(value)) ? 1 : 0);
}

QMetaType ZVIntToBool::transformedValueClass() const { return QMetaType::fromType<Value>(); }
