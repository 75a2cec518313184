#pragma once

#include "platform/ValueTransformer.h"

// Set when a text holds more than spaces: enables what a filled field allows.
class ZVFilledTrimmedString : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;

  QMetaType transformedValueClass() const override;
};
