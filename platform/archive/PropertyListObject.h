#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class PropertyListObject;
using PropertyListRef = std::shared_ptr<const PropertyListObject>;

// One object of a binary property list, as stored: unlike Value it has the archive's UIDs and
// sets, and integers that remember whether they were stored unsigned (above 2^63 - 1).
class PropertyListObject {
 public:
  enum class Kind : std::uint8_t {
    Null,
    Boolean,
    Integer,
    Real,
    Date,
    Data,
    String,
    Uid,
    Array,
    Set,
    Dictionary,
  };

  static PropertyListRef null();
  static PropertyListRef boolean(bool value);
  static PropertyListRef integer(qint64 value);
  static PropertyListRef unsignedInteger(quint64 value);
  static PropertyListRef real(double value);
  static PropertyListRef date(double secondsSinceReferenceDate);
  static PropertyListRef data(QByteArray bytes);
  static PropertyListRef string(QString string);
  static PropertyListRef uid(quint32 value);
  static PropertyListRef array(std::vector<PropertyListRef> items);
  static PropertyListRef set(std::vector<PropertyListRef> items);
  static PropertyListRef dictionary(std::vector<QString> keys, std::vector<PropertyListRef> values);

  Kind kind() const { return kind_; }
  bool boolValue() const { return integer_ != 0; }
  // Integers: the stored bits; isUnsigned() tells how to read them.
  qint64 integerValue() const { return integer_; }
  bool isUnsigned() const { return unsigned_; }
  // Reals and dates.
  double realValue() const { return real_; }
  quint32 uidValue() const { return static_cast<quint32>(integer_); }
  const QByteArray& dataValue() const { return data_; }
  const QString& stringValue() const { return string_; }
  // Arrays and sets: the items; dictionaries: the values, parallel to keys().
  const std::vector<PropertyListRef>& items() const { return items_; }
  const std::vector<QString>& keys() const { return keys_; }

  // A dictionary's value under key; null pointer when there is none.
  const PropertyListObject* valueForKey(QStringView key) const;

  // Deep comparison of content (tests and uniquing use it). Each pair of nodes is compared
  // once, so trees that share subtrees compare in time linear in their nodes, not their paths.
  friend bool operator==(const PropertyListObject& a, const PropertyListObject& b);

 private:
  struct Comparison;
  // Only the factories make nodes (through make_shared, one allocation each).
  struct Private {
    explicit Private() = default;
  };

 public:
  PropertyListObject(Private, Kind kind) : kind_(kind) {}

 private:
  Kind kind_;
  bool unsigned_ = false;
  qint64 integer_ = 0;
  double real_ = 0.0;
  QByteArray data_;
  QString string_;
  std::vector<QString> keys_;
  std::vector<PropertyListRef> items_;
};
