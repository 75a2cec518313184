#pragma once

#include "platform/ValueTransformer.h"

// 1 when a list holds more than one element (a selection of several), else 0.
class ZVOneIfOneInArray : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
