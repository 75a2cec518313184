#include "Common/ZVReturnInitStr.h"

#include "platform/Value.h"

QVariant ZVReturnInitStr::transformedValue(const QVariant& value) const {
  Q_UNUSED(value);
  return QVariant::fromValue(Value(myRefString));
}

QMetaType ZVReturnInitStr::transformedValueClass() const { return QMetaType::fromType<Value>(); }
