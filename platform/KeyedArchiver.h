#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <vector>

#include "platform/Result.h"
#include "platform/Value.h"

class BinaryPropertyListObjectTable;

// Makes a keyed archive (the NSKeyedArchiver format: a binary property list of numbered
// objects) of a value of the document model, with the class names the macOS editions write.
class KeyedArchiver {
 public:
  static constexpr int kMaxDepth = 512;

  // Fails for an absent root or element, a container that contains itself, a non-finite
  // rectangle, or nesting deeper than kMaxDepth.
  static Result<QByteArray> archivedDataWithRootObject(const Value& root);

 private:
  // What one numbered object holds; flat, so archiving many records allocates little.
  enum class Shape : quint8 {
    String,
    Data,
    Integer,
    Unsigned,
    Real,
    Boolean,
    Null,
    Date,
    MutableString,
    MutableData,
    RectValue,
    Array,
    Dictionary,
    ClassRecord,
  };
  struct Object {
    Shape shape = Shape::String;
    quint32 classUid = 0;
    quint32 count = 0;
    // Scalars and dates: the value's bits; strings and data: an index into strings_ or data_;
    // rectangles: the text's UID; containers: the first element UID in elementUids_ (a
    // dictionary's key UIDs, then its value UIDs).
    quint64 bits = 0;
  };
  // The fixed key strings, added to the table once and then reused by index.
  enum class Key : quint8 {
    Version,
    Archiver,
    Top,
    Objects,
    Root,
    Class,
    Classes,
    ClassName,
    NsKeys,
    NsObjects,
    NsString,
    NsTime,
    NsData,
    NsRectval,
    NsSpecial,
    Count,
  };

  KeyedArchiver();

  Result<quint32> encode(const Value& value, int depth);
  Result<quint32> encodeContainer(const Value& value, int depth);
  Result<quint32> encodeScalar(const Value& value);
  quint32 encodeString(const QString& string);
  quint32 add(Shape shape, quint64 bits = 0, quint32 count = 0);
  quint32 addString(Shape shape, const QString& string);
  quint32 addData(Shape shape, const QByteArray& data);
  quint32 classRecord(const QString& name);

  QByteArray write(quint32 top);
  quint64 writeObject(BinaryPropertyListObjectTable& table, const Object& object);
  quint64 key(BinaryPropertyListObjectTable& table, Key which);

  std::vector<Object> objects_;
  std::vector<quint32> elementUids_;
  std::vector<QString> strings_;
  std::vector<QByteArray> data_;
  QHash<QString, quint32> stringUids_;
  QHash<QString, quint32> classes_;
  QHash<qint64, quint32> integers_;
  QHash<quint64, quint32> unsignedIntegers_;
  QHash<quint64, quint32> reals_;
  QHash<quint64, quint32> dates_;
  std::array<quint32, 2> booleans_{};
  quint32 null_ = 0;
  // A container's UID once archived; kOnPath while its elements are being archived.
  QHash<const void*, quint32> containers_;
  std::array<quint64, static_cast<std::size_t>(Key::Count)> keyEntries_{};
};
