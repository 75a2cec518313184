#pragma once

#include "platform/ValueTransformer.h"

// Encoded image data (PNG, JPEG, TIFF...) as an image, and an image back as TIFF data.
class ZVImgData : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QVariant reverseTransformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
  bool allowsReverseTransformation() const override { return true; }
};
