#pragma once

#include <cstdint>

#include "platform/ValueTransformer.h"

// 1 when the value, read as a 16-bit integer, differs from the reference.
class ZVValueNotEqualToRef : public ValueTransformer {
 public:
  explicit ZVValueNotEqualToRef(std::int32_t value) : myRefValue(value) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const std::int32_t myRefValue;
};
