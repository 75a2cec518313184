#include "Common/ZV1IfNot0.h"

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZV1IfNot0::transformedValue(const QVariant& value) const {
  return number(int32Of(read(value)) != 0 ? 1 : 0);
}

QMetaType ZV1IfNot0::transformedValueClass() const { return QMetaType::fromType<Value>(); }
