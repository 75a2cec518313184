#include "Common/ZVEmptyTrimmedString.h"

#include "Common/TransformerInput.h"
#include "Common/ZVStringUtils.h"

using namespace TransformerInput;

QVariant ZVEmptyTrimmedString::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  return flag(v.isAbsent() || ZVStringUtils::trimLateralSpace(textOf(v)).isEmpty());
}

QMetaType ZVEmptyTrimmedString::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
