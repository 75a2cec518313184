#pragma once

#include "platform/Value.h"
#include "platform/ValueTransformer.h"

// The value times a fixed factor, in single precision (a size scaled for a view).
class ZVValueMultipliedBy : public ValueTransformer {
 public:
  explicit ZVValueMultipliedBy(Value value) : myRefValue(std::move(value)) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const Value myRefValue;
};
