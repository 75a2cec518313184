#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <memory>
#include <variant>

#include "platform/Date.h"
#include "platform/Rect.h"

class Array;
class Dictionary;
using ArrayRef = std::shared_ptr<Array>;
using DictRef = std::shared_ptr<Dictionary>;

// Null is the archive's explicit null object; Absent is "no value under this key".
struct NullValue {
  friend bool operator==(NullValue, NullValue) { return true; }
};

// One value of the document model: what a record field, a category field, a setting or an
// archived object can hold. Scalars are values; arrays and dictionaries are shared, mutable
// objects held by reference, so two Values can name the very same dictionary.
class Value {
 public:
  enum class Type : std::uint8_t {
    Absent,
    Null,
    String,
    Integer,   // signed 64-bit
    Unsigned,  // unsigned 64-bit
    Double,
    Boolean,
    Date,
    Data,
    Rect,
    Array,
    Dictionary,
  };

  Value() = default;
  Value(const QString& string) : storage_(string) {}  // NOLINT: implicit on purpose
  Value(QString&& string) : storage_(std::move(string)) {}
  Value(const Date& date) : storage_(date) {}
  Value(const Rect& rect) : storage_(std::make_shared<const Rect>(rect)) {}
  Value(ArrayRef array);
  Value(DictRef dictionary);
  Value(NullValue) : storage_(NullValue{}) {}

  static Value integer(qint64 v) { return Value(Storage(std::in_place_index<kInteger>, v)); }
  static Value unsignedInteger(quint64 v) {
    return Value(Storage(std::in_place_index<kUnsigned>, v));
  }
  static Value real(double v) { return Value(Storage(std::in_place_index<kDouble>, v)); }
  static Value boolean(bool v) { return Value(Storage(std::in_place_index<kBoolean>, v)); }
  static Value data(QByteArray bytes, bool isMutable = false);
  static Value mutableString(QString string);
  static Value null() { return Value(NullValue{}); }

  Type type() const;
  bool isAbsent() const { return storage_.index() == kAbsent; }
  bool isNull() const { return storage_.index() == kNull; }
  bool isString() const { return stringPointer() != nullptr; }
  bool isNumber() const;  // integer, unsigned, double or boolean
  bool isDate() const { return storage_.index() == kDate; }
  bool isData() const { return storage_.index() == kData || storage_.index() == kMutableData; }
  bool isRect() const { return storage_.index() == kRect; }
  bool isArray() const { return storage_.index() == kArray; }
  bool isDictionary() const { return storage_.index() == kDictionary; }
  // Strings and data remember whether they were made mutable: archives name the class.
  bool isMutable() const {
    return storage_.index() == kMutableString || storage_.index() == kMutableData;
  }

  // Typed reads. A value of another kind reads as the given fallback; numbers convert among
  // themselves (a double read as an integer truncates toward zero).
  QString toString() const;
  const QString* stringPointer() const {
    if (const auto* s = std::get_if<kString>(&storage_)) return s;
    if (const auto* s = std::get_if<kMutableString>(&storage_)) return &s->string;
    return nullptr;
  }
  qint64 toInteger(qint64 fallback = 0) const;
  quint64 toUnsigned(quint64 fallback = 0) const;
  double toDouble(double fallback = 0.0) const;
  float toFloat(float fallback = 0.0f) const { return static_cast<float>(toDouble(fallback)); }
  bool toBool(bool fallback = false) const;
  Date toDate(Date fallback = {}) const;
  QByteArray toData() const;
  Rect toRect() const;
  ArrayRef toArray() const;
  DictRef toDictionary() const;
  Dictionary* dictionaryPointer() const;
  // The held dictionary reference itself (no copy), or none.
  const DictRef* dictionaryRef() const { return std::get_if<kDictionary>(&storage_); }

  // Deep equality of content; arrays and dictionaries compare element by element.
  friend bool operator==(const Value& a, const Value& b);
  // Identity for arrays and dictionaries, equality for everything else.
  bool isSameObject(const Value& other) const;

  QString debugDescription() const;

 private:
  enum : std::size_t {
    kAbsent,
    kNull,
    kString,
    kInteger,
    kUnsigned,
    kDouble,
    kBoolean,
    kDate,
    kData,
    kRect,
    kArray,
    kDictionary,
    kMutableString,
    kMutableData,
  };
  // Archives name the class of a mutable string or data, so mutability is kept; it travels
  // in the alternative itself, which keeps a Value at 32 bytes (every record field is one).
  struct MutableString {
    QString string;
    friend bool operator==(const MutableString&, const MutableString&) = default;
  };
  struct MutableData {
    QByteArray bytes;
    friend bool operator==(const MutableData&, const MutableData&) = default;
  };
  // Rectangles are rare (window state) and the widest scalar: held apart.
  using RectRef = std::shared_ptr<const Rect>;
  using Storage =
      std::variant<std::monostate, NullValue, QString, qint64, quint64, double, bool, Date,
                   QByteArray, RectRef, ArrayRef, DictRef, MutableString, MutableData>;
  explicit Value(Storage storage) : storage_(std::move(storage)) {}

  Storage storage_;
};

Q_DECLARE_METATYPE(Value)
