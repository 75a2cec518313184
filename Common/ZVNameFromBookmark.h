#pragma once

#include "platform/ValueTransformer.h"

// The file name a bookmark resolves to, for showing which file a setting names.
// Staleness does not matter here; a bookmark that does not resolve gives no value.
class ZVNameFromBookmark : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;
};
