#pragma once

#include <QMetaType>
#include <QVariant>

// A named two-way conversion used by views to show model values (a colour dictionary as a
// colour, a number as a flag).
class ValueTransformer {
 public:
  virtual ~ValueTransformer() = default;
  virtual QVariant transformedValue(const QVariant& value) const = 0;
  virtual QVariant reverseTransformedValue(const QVariant& value) const {
    Q_UNUSED(value);
    return {};
  }
  virtual QMetaType transformedValueClass() const = 0;
  virtual bool allowsReverseTransformation() const { return false; }
};
