#pragma once

#include "platform/ValueTransformer.h"

// A number as the opposite flag (0 and no value are set), and back as 1 or 0.
class ZVNegateIntToBool : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
