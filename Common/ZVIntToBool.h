#pragma once

#include "platform/ValueTransformer.h"

// A number as a flag (not 0 is set), and a flag back as the number 1 or 0.
class ZVIntToBool : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
