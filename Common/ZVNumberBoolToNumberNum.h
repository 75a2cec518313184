#pragma once

#include "platform/ValueTransformer.h"

// A flag as the number 1 or 0, and back: any non-zero number is a set flag.
class ZVNumberBoolToNumberNum : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
