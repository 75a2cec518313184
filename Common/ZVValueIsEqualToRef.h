#pragma once

#include <cstdint>

#include "platform/ValueTransformer.h"

// 1 when the value, read as a 16-bit integer, equals the reference (a stored 65537 counts as
// 1); reversed, a set flag gives the reference back. Lets a checkbox or radio button stand for
// one choice of a numbered setting.
class ZVValueIsEqualToRef : public ValueTransformer {
 public:
  explicit ZVValueIsEqualToRef(std::int32_t value) : myRefValue(value) {}

  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }

  const std::int32_t myRefValue;
};
