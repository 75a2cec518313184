#pragma once

#include <cstdint>

#include "platform/ValueTransformer.h"

// 1 when the value, read as a 16-bit integer, is greater than the reference.
class ZVValueIsGreaterOfRef : public ValueTransformer {
 public:
  explicit ZVValueIsGreaterOfRef(std::int32_t value) : myRefValue(value) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const std::int32_t myRefValue;
};
