#include "Common/ZVValueIsEqualToStr.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVValueIsEqualToStr::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  return flag(v.isString() && *v.stringPointer() == myRefString);
}

QMetaType ZVValueIsEqualToStr::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
