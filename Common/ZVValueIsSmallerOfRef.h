#pragma once

#include <cstdint>

#include "platform/ValueTransformer.h"

// 1 when the value, read as a 16-bit integer, is less than the reference.
class ZVValueIsSmallerOfRef : public ValueTransformer {
 public:
  explicit ZVValueIsSmallerOfRef(std::int32_t value) : myRefValue(value) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const std::int32_t myRefValue;
};
