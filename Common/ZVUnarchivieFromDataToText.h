#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Result.h"
#include "platform/ValueTransformer.h"

// The plain characters of a styled text archived in a non-keyed archive.
class ZVUnarchivieFromDataToText : public ValueTransformer {
 public:
  QVariant transformedValue(const QVariant& value) const override;

  QMetaType transformedValueClass() const override;

  // The characters of the NSAttributedString (or plain NSString) an archive holds as its root.
  static Result<QString> plainText(const QByteArray& archive);
};
