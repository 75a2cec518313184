#pragma once

#include <QByteArray>
#include <optional>
#include <vector>

#include "platform/PropertyListObject.h"
#include "platform/Result.h"
#include "platform/Value.h"

// Reads a keyed archive (the NSKeyedArchiver format) back into the document model: strings,
// numbers, dates, data, rectangle values, NSNull, arrays and dictionaries. Any other class,
// and any archive that breaks the format's rules, gives an error naming the object.
class KeyedUnarchiver {
 public:
  static constexpr int kMaxDepth = 512;

  // A root of nil reads as an absent value.
  static Result<Value> unarchiveObjectWithData(const QByteArray& data);
  // The same over an already parsed property list.
  static Result<Value> unarchiveObject(const PropertyListObject& archive);

 private:
  explicit KeyedUnarchiver(const std::vector<PropertyListRef>& objects);

  Result<Value> decode(quint64 uid, int depth);
  Result<Value> decodeObject(quint64 uid, const PropertyListObject& object, int depth);
  // The classes this reader knows; Other for any other class record.
  enum class Class : quint8 {
    Unknown,  // not looked up yet
    Array,
    MutableArray,
    Dictionary,
    MutableDictionary,
    String,
    MutableString,
    Data,
    MutableData,
    Date,
    Null,
    Value,
    Other,
  };
  Result<QString> className(quint64 uid, const PropertyListObject& object) const;
  // Records repeat a handful of classes: each class record is read and named once.
  Result<Class> classOf(quint64 uid, const PropertyListObject& object);
  Result<std::vector<Value>> decodeList(quint64 uid, const PropertyListObject* list,
                                        const char* key, int depth);
  Failure fail(quint64 uid, const QString& what) const;

  const std::vector<PropertyListRef>& objects_;
  std::vector<std::optional<Value>> decoded_;
  std::vector<bool> onPath_;
  std::vector<Class> classes_;
};
