#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "platform/ValueTransformer.h"

// The process-wide table of transformers that views look up by name.
class ValueTransformerRegistry {
 public:
  // Registering a name again replaces the earlier transformer.
  static void setValueTransformer(std::shared_ptr<const ValueTransformer> transformer,
                                  const QString& name);
  static std::shared_ptr<const ValueTransformer> valueTransformerForName(const QString& name);
  static QStringList valueTransformerNames();

 private:
  static QHash<QString, std::shared_ptr<const ValueTransformer>>& table();
};
