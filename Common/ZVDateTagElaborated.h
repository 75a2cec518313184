#pragma once

#include <QDateTime>
#include <QString>

#include "platform/ValueTransformer.h"

// Fills the date tags of a template text (<YY>-<mm>-<dd>, <hh>:<ii>:<ss>) with now.
class ZVDateTagElaborated : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;

  QMetaType transformedValueClass() const override;

  // The template with each tag replaced by that moment in its own time zone.
  static QString elaborate(const QString& pattern, const QDateTime& when);
};
