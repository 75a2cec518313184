#pragma once

#include <vector>

#include "platform/Value.h"
#include "platform/ValueTransformer.h"

// Set when the value is one of the reference array's members, compared by content (numbers by
// value, so 1 matches YES).
class ZVValueIsInArray : public ValueTransformer {
 public:
  explicit ZVValueIsInArray(std::vector<Value> members) : myRefArray(std::move(members)) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const std::vector<Value> myRefArray;
};
