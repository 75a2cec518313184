#pragma once

#include "platform/ValueTransformer.h"

// Set when there is no text, or only spaces: enables what an empty field needs.
class ZVEmptyTrimmedString : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;

  QMetaType transformedValueClass() const override;
};
