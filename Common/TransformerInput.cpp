#include "Common/TransformerInput.h"

#include "platform/Array.h"

namespace transformer_input {

std::vector<Value> listOf(const QVariant& v) {
  std::vector<Value> out;
  const Value model = read(v);
  if (model.isArray()) {
    const ArrayRef array = model.toArray();
    out.reserve(static_cast<std::size_t>(array->count()));
    for (qsizetype i = 0; i < array->count(); ++i) out.push_back(array->at(i));
    return out;
  }
  if (v.metaType() == QMetaType::fromType<QVariantList>() ||
      v.metaType() == QMetaType::fromType<QStringList>())
    for (const QVariant& item : v.toList()) out.push_back(read(item));
  return out;
}

QString textOf(const Value& v) {
  if (v.isString()) return *v.stringPointer();
  if (v.isNumber()) return v.toString();
  return {};
}

}  // namespace transformer_input
