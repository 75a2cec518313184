#include "Common/ZVOneIfOneInArray.h"

#include "Common/TransformerInput.h"
#include "platform/Array.h"

using namespace TransformerInput;

QVariant ZVOneIfOneInArray::transformedValue(const QVariant& value) const {
  return number(listOf(value).size() > 1 ? 1 : 0);
}

QVariant ZVOneIfOneInArray::reverseTransformedValue(const QVariant& value) const {
  Q_UNUSED(value);
  return QVariant::fromValue(Value(Array::create()));
}

QMetaType ZVOneIfOneInArray::transformedValueClass() const { return QMetaType::fromType<Value>(); }
