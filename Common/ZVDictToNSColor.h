#pragma once

#include "platform/ValueTransformer.h"

// Shows a colour dictionary (a Value) as a Color and turns an edited Color back into one.
class ZVDictToNSColor : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
