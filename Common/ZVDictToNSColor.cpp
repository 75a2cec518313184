#include "Common/ZVDictToNSColor.h"

#include "Common/ZVColorUtilOSX.h"

QVariant ZVDictToNSColor::transformedValue(const QVariant& value) const {
  const Value model = value.canConvert<Value>() ? value.value<Value>() : Value();
  return QVariant::fromValue(ZVColorUtilOSX::NSColorFromDict(model));
}

QVariant ZVDictToNSColor::reverseTransformedValue(const QVariant& value) const {
  const Color color = value.canConvert<Color>() ? value.value<Color>() : Color();
  return QVariant::fromValue(Value(ZVColorUtilOSX::dictFromNSColor(color)));
}

QMetaType ZVDictToNSColor::transformedValueClass() const { return QMetaType::fromType<Color>(); }
