#include "platform/Value.h"

#include <cmath>
#include <limits>

#include "platform/Array.h"
#include "platform/Dictionary.h"

Value::Value(ArrayRef array) {
  if (array) storage_ = std::move(array);
}

Value::Value(DictRef dictionary) {
  if (dictionary) storage_ = std::move(dictionary);
}

Value Value::data(QByteArray bytes, bool isMutable) {
  if (isMutable)
    return Value(Storage(std::in_place_index<kMutableData>, MutableData{std::move(bytes)}));
  return Value(Storage(std::in_place_index<kData>, std::move(bytes)));
}

Value Value::mutableString(QString string) {
  return Value(Storage(std::in_place_index<kMutableString>, MutableString{std::move(string)}));
}

Value::Type Value::type() const {
  switch (storage_.index()) {
    case kMutableString:
      return Type::String;
    case kMutableData:
      return Type::Data;
    default:
      return static_cast<Type>(storage_.index());
  }
}

bool Value::isNumber() const {
  switch (storage_.index()) {
    case kInteger:
    case kUnsigned:
    case kDouble:
    case kBoolean:
      return true;
    default:
      return false;
  }
}

QString Value::toString() const {
  if (const QString* s = stringPointer()) return *s;
  return {};
}

namespace {
// Saturating conversion: a stored NaN or out-of-range double never makes undefined behaviour.
template <typename Int>
Int doubleToInt(double d) {
  if (std::isnan(d)) return 0;
  if (d <= static_cast<double>(std::numeric_limits<Int>::min()))
    return std::numeric_limits<Int>::min();
  if (d >= static_cast<double>(std::numeric_limits<Int>::max()))
    return std::numeric_limits<Int>::max();
  return static_cast<Int>(d);
}
}  // namespace

qint64 Value::toInteger(qint64 fallback) const {
  switch (storage_.index()) {
    case kInteger:
      return std::get<kInteger>(storage_);
    case kUnsigned:
      return static_cast<qint64>(std::get<kUnsigned>(storage_));
    case kDouble:
      return doubleToInt<qint64>(std::get<kDouble>(storage_));
    case kBoolean:
      return std::get<kBoolean>(storage_) ? 1 : 0;
    default:
      return fallback;
  }
}

quint64 Value::toUnsigned(quint64 fallback) const {
  switch (storage_.index()) {
    case kInteger:
      return static_cast<quint64>(std::get<kInteger>(storage_));
    case kUnsigned:
      return std::get<kUnsigned>(storage_);
    case kDouble: {
      const double d = std::get<kDouble>(storage_);
      return d < 0 ? static_cast<quint64>(doubleToInt<qint64>(d)) : doubleToInt<quint64>(d);
    }
    case kBoolean:
      return std::get<kBoolean>(storage_) ? 1 : 0;
    default:
      return fallback;
  }
}

double Value::toDouble(double fallback) const {
  switch (storage_.index()) {
    case kInteger:
      return static_cast<double>(std::get<kInteger>(storage_));
    case kUnsigned:
      return static_cast<double>(std::get<kUnsigned>(storage_));
    case kDouble:
      return std::get<kDouble>(storage_);
    case kBoolean:
      return std::get<kBoolean>(storage_) ? 1.0 : 0.0;
    default:
      return fallback;
  }
}

bool Value::toBool(bool fallback) const {
  switch (storage_.index()) {
    case kBoolean:
      return std::get<kBoolean>(storage_);
    case kInteger:
    case kUnsigned:
      return toInteger() != 0;
    case kDouble:
      return std::get<kDouble>(storage_) != 0.0;
    default:
      return fallback;
  }
}

Date Value::toDate(Date fallback) const {
  if (const auto* d = std::get_if<kDate>(&storage_)) return *d;
  return fallback;
}

QByteArray Value::toData() const {
  if (const auto* d = std::get_if<kData>(&storage_)) return *d;
  if (const auto* d = std::get_if<kMutableData>(&storage_)) return d->bytes;
  return {};
}

Rect Value::toRect() const {
  if (const auto* r = std::get_if<kRect>(&storage_)) return **r;
  return {};
}

ArrayRef Value::toArray() const {
  if (const auto* a = std::get_if<kArray>(&storage_)) return *a;
  return {};
}

DictRef Value::toDictionary() const {
  if (const auto* d = std::get_if<kDictionary>(&storage_)) return *d;
  return {};
}

Dictionary* Value::dictionaryPointer() const {
  if (const auto* d = std::get_if<kDictionary>(&storage_)) return d->get();
  return nullptr;
}

namespace {
constexpr int kMaxCompareDepth = 512;

bool deepEqual(const Value& a, const Value& b, int depth);

bool arraysEqual(const Array& a, const Array& b, int depth) {
  if (a.count() != b.count()) return false;
  for (qsizetype i = 0; i < a.count(); ++i)
    if (!deepEqual(a.at(i), b.at(i), depth + 1)) return false;
  return true;
}

bool dictionariesEqual(const Dictionary& a, const Dictionary& b, int depth) {
  if (a.count() != b.count()) return false;
  for (const auto& [key, value] : a.entries()) {
    const Value& other = b.value(key);
    if (other.isAbsent() || !deepEqual(value, other, depth + 1)) return false;
  }
  return true;
}

bool deepEqual(const Value& a, const Value& b, int depth) {
  if (depth > kMaxCompareDepth) return false;
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case Value::Type::Array: {
      const auto x = a.toArray(), y = b.toArray();
      return x == y || arraysEqual(*x, *y, depth);
    }
    case Value::Type::Dictionary: {
      const auto x = a.toDictionary(), y = b.toDictionary();
      return x == y || dictionariesEqual(*x, *y, depth);
    }
    default:
      return a.isSameObject(b);
  }
}
}  // namespace

bool operator==(const Value& a, const Value& b) { return deepEqual(a, b, 0); }

bool Value::isSameObject(const Value& other) const {
  if (type() != other.type()) return false;
  switch (type()) {
    case Type::String:
      return *stringPointer() == *other.stringPointer();
    case Type::Data:
      return toData() == other.toData();
    case Type::Rect:
      return toRect() == other.toRect();
    default:
      return storage_ == other.storage_;
  }
}

QString Value::debugDescription() const {
  switch (type()) {
    case Type::Absent:
      return QStringLiteral("<absent>");
    case Type::Null:
      return QStringLiteral("<null>");
    case Type::String:
      return QLatin1Char('"') + toString() + QLatin1Char('"');
    case Type::Integer:
      return QString::number(toInteger());
    case Type::Unsigned:
      return QString::number(toUnsigned()) + QLatin1Char('u');
    case Type::Double:
      return QString::number(toDouble(), 'g', 17);
    case Type::Boolean:
      return toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Type::Date:
      return QStringLiteral("date(%1)").arg(toDate().sinceReferenceDate, 0, 'g', 17);
    case Type::Data:
      return QStringLiteral("data<%1>").arg(QString::fromLatin1(toData().toHex()));
    case Type::Rect: {
      const Rect r = toRect();
      return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(r.x).arg(r.y).arg(r.width).arg(r.height);
    }
    case Type::Array: {
      QStringList parts;
      for (const auto& v : toArray()->values()) parts << v.debugDescription();
      return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case Type::Dictionary: {
      QStringList parts;
      for (const auto& [k, v] : toDictionary()->entries())
        parts << k + QStringLiteral(": ") + v.debugDescription();
      return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
  }
  return {};
}
