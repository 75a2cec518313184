#pragma once

#include <QVariant>
#include <cstdint>
#include <vector>

#include "platform/Value.h"

// How the transformers read their input: a model Value, or a plain Qt number or flag from a
// widget. An invalid variant is "no value".
namespace TransformerInput {

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

// The readings of a value as a flag and as a whole number. The settings store hands scalars
// back as text, so a text reads as its leading number or flag: "true", "YES" and "1" are set,
// "false", "no", "0" and "" are not.
bool boolOf(const Value& v);
qint64 integerOf(const Value& v);
// The single-precision reading; a text reads as its leading decimal number ("12.5pt" is 12.5).
float floatOf(const Value& v);
// The 32-bit and 16-bit readings: the value is narrowed as the fixed-width integer types do.
inline std::int32_t int32Of(const Value& v) { return static_cast<std::int32_t>(integerOf(v)); }
inline std::int16_t int16Of(const Value& v) { return static_cast<std::int16_t>(integerOf(v)); }

// Equality as the lists and sets of the bindings see it: numbers by value whatever their kind
// (1 equals YES and 1.0), anything else by content.
inline bool sameValue(const Value& a, const Value& b) {
  if (!a.isNumber() || !b.isNumber()) return a == b;
  if (a.type() == Value::Type::Double || b.type() == Value::Type::Double)
    return a.toDouble() == b.toDouble();
  const bool aUnsigned = a.type() == Value::Type::Unsigned;
  const bool bUnsigned = b.type() == Value::Type::Unsigned;
  if (aUnsigned == bUnsigned)
    return aUnsigned ? a.toUnsigned() == b.toUnsigned() : a.toInteger() == b.toInteger();
  // One unsigned: a negative signed value never matches it.
  const Value& signedOne = aUnsigned ? b : a;
  return signedOne.toInteger() >= 0 && a.toUnsigned() == b.toUnsigned();
}

// The elements of a list: a model array, or a Qt list from a view; none for anything else.
std::vector<Value> listOf(const QVariant& v);
// The text a value shows: a string as it is, a number as its digits, anything else empty.
QString textOf(const Value& v);

inline QVariant number(qint64 n) { return QVariant::fromValue(Value::integer(n)); }
inline QVariant flag(bool b) { return QVariant::fromValue(Value::boolean(b)); }

}  // namespace TransformerInput
