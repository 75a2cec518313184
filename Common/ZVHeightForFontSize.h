#pragma once

#include "platform/ValueTransformer.h"

// The table row height for a font size: trunc(size × 1.4 + 2), in single precision as the
// other editions compute it (12 gives 18, 13 gives 20).
class ZVHeightForFontSize : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
};
