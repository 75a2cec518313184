#pragma once

#include "platform/ValueTransformer.h"

// 1 when the value, read as a 32-bit integer, is not 0; no value gives 0.
class ZV1IfNot0 : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
};
