#pragma once

#include <vector>

#include "platform/Value.h"
#include "platform/ValueTransformer.h"

// Set when the value is one of the reference set's members, compared by content (numbers by
// value, so 1 matches YES).
class ZVValueIsInSet : public ValueTransformer {
 public:
  explicit ZVValueIsInSet(std::vector<Value> members) : myRefSet(std::move(members)) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const std::vector<Value> myRefSet;
};
