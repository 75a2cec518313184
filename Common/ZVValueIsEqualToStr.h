#pragma once

#include <QString>

#include "platform/ValueTransformer.h"

// Set when the value is exactly the reference text (case counts).
class ZVValueIsEqualToStr : public ValueTransformer {
 public:
  explicit ZVValueIsEqualToStr(QString string) : myRefString(std::move(string)) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const QString myRefString;
};
