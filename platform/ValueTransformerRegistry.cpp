#include "platform/ValueTransformerRegistry.h"

QHash<QString, std::shared_ptr<const ValueTransformer>>& ValueTransformerRegistry::table() {
  static QHash<QString, std::shared_ptr<const ValueTransformer>> transformers;
  return transformers;
}

void ValueTransformerRegistry::setValueTransformer(
    std::shared_ptr<const ValueTransformer> transformer, const QString& name) {
  if (transformer)
    table()[name] = std::move(transformer);  // insert() would copy
  else
    table().remove(name);
}

std::shared_ptr<const ValueTransformer> ValueTransformerRegistry::valueTransformerForName(
    const QString& name) {
  return table().value(name);
}

QStringList ValueTransformerRegistry::valueTransformerNames() { return table().keys(); }
