#pragma once

#include <QVariant>
#include <cstdint>

#include "platform/Value.h"

// How the transformers read their input: a model Value, or a plain Qt number or flag from a
// widget. An invalid variant is "no value".
namespace transformer_input {

inline Value read(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  if (v.canConvert<Value>() && v.metaType() == QMetaType::fromType<Value>())
    return v.value<Value>();
  switch (v.typeId()) {
    case QMetaType::Bool:
      return Value::boolean(v.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
      return Value::real(v.toDouble());
    case QMetaType::QString:
      return Value(v.toString());
    default: {
      bool ok = false;
      const qint64 i = v.toLongLong(&ok);
      return ok ? Value::integer(i) : Value();
    }
  }
}

// The 32-bit and 16-bit readings: the value is narrowed as the fixed-width integer types do.
inline std::int32_t int32Of(const Value& v) { return static_cast<std::int32_t>(v.toInteger(0)); }
inline std::int16_t int16Of(const Value& v) { return static_cast<std::int16_t>(v.toInteger(0)); }

inline QVariant number(qint64 n) { return QVariant::fromValue(Value::integer(n)); }
inline QVariant flag(bool b) { return QVariant::fromValue(Value::boolean(b)); }

}  // namespace transformer_input
