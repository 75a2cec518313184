#pragma once

#include <QString>

#include "platform/ValueTransformer.h"

// Always the text it was made with, whatever the value: a fixed caption for a bound view.
class ZVReturnInitStr : public ValueTransformer {
 public:
  explicit ZVReturnInitStr(QString string) : myRefString(std::move(string)) {}

  QVariant transformedValue(const QVariant& value) const override;
  QMetaType transformedValueClass() const override;

  const QString myRefString;
};
