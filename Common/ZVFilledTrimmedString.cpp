#include "Common/ZVFilledTrimmedString.h"

#include "Common/TransformerInput.h"
#include "Common/ZVStringUtils.h"

using namespace TransformerInput;

QVariant ZVFilledTrimmedString::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  return flag(!v.isAbsent() && !ZVStringUtils::trimLateralSpace(textOf(v)).isEmpty());
}

QMetaType ZVFilledTrimmedString::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
