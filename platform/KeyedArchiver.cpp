#include "platform/KeyedArchiver.h"

#include <QLocale>
#include <cmath>
#include <cstring>

#include "platform/Array.h"
#include "platform/BinaryPropertyListWriter.h"
#include "platform/Dictionary.h"

namespace {
const QString kNull = QStringLiteral("$null");

QStringList classChain(const QString& name) {
  if (name == QLatin1String("NSMutableDictionary"))
    return {name, QStringLiteral("NSDictionary"), QStringLiteral("NSObject")};
  if (name == QLatin1String("NSMutableArray"))
    return {name, QStringLiteral("NSArray"), QStringLiteral("NSObject")};
  if (name == QLatin1String("NSMutableString"))
    return {name, QStringLiteral("NSString"), QStringLiteral("NSObject")};
  if (name == QLatin1String("NSMutableData"))
    return {name, QStringLiteral("NSData"), QStringLiteral("NSObject")};
  return {name, QStringLiteral("NSObject")};
}

// Shortest text that reads back as the same double; integral values have no decimal point.
QString rectNumber(double d) { return QString::number(d, 'g', QLocale::FloatingPointShortest); }

// Scalars are shared by kind and value: the key is the kind byte and the value's bits.
QByteArray scalarKey(char kind, const void* bits, std::size_t size) {
  QByteArray key(1, kind);
  key.append(static_cast<const char*>(bits), static_cast<qsizetype>(size));
  return key;
}
}  // namespace

KeyedArchiver::KeyedArchiver() { objects_.push_back(PropertyListObject::string(kNull)); }

Result<QByteArray> KeyedArchiver::archivedDataWithRootObject(const Value& root) {
  KeyedArchiver archiver;
  auto top = archiver.encode(root, 0);
  if (!top) return Failure{top.error()};
  auto archive = PropertyListObject::dictionary(
      {QStringLiteral("$version"), QStringLiteral("$archiver"), QStringLiteral("$top"),
       QStringLiteral("$objects")},
      {PropertyListObject::integer(100000),
       PropertyListObject::string(QStringLiteral("NSKeyedArchiver")),
       PropertyListObject::dictionary({QStringLiteral("root")},
                                      {PropertyListObject::uid(top.value())}),
       PropertyListObject::array(std::move(archiver.objects_))});
  return BinaryPropertyListWriter::write(*archive);
}

quint32 KeyedArchiver::reserve() {
  objects_.emplace_back();
  return static_cast<quint32>(objects_.size() - 1);
}

PropertyListRef KeyedArchiver::uidNode(quint32 value) {
  if (value >= uids_.size()) uids_.resize(value + 1);
  if (!uids_[value]) uids_[value] = PropertyListObject::uid(value);
  return uids_[value];
}

quint32 KeyedArchiver::encodeString(const QString& string) {
  if (auto it = strings_.constFind(string); it != strings_.cend()) return *it;
  const quint32 uid = reserve();
  objects_[uid] = PropertyListObject::string(string);
  strings_.insert(string, uid);
  return uid;
}

quint32 KeyedArchiver::classRecord(const QString& name) {
  if (auto it = classes_.constFind(name); it != classes_.cend()) return *it;
  std::vector<PropertyListRef> chain;
  for (const QString& c : classChain(name)) chain.push_back(PropertyListObject::string(c));
  const quint32 uid = reserve();
  objects_[uid] = PropertyListObject::dictionary(
      {QStringLiteral("$classes"), QStringLiteral("$classname")},
      {PropertyListObject::array(std::move(chain)), PropertyListObject::string(name)});
  classes_.insert(name, uid);
  return uid;
}

PropertyListRef KeyedArchiver::object(const QString& className, std::vector<QString> keys,
                                      std::vector<PropertyListRef> values) {
  // The class record follows the object's children, as the macOS archiver numbers them.
  keys.push_back(QStringLiteral("$class"));
  values.push_back(uidNode(classRecord(className)));
  return PropertyListObject::dictionary(std::move(keys), std::move(values));
}

Result<quint32> KeyedArchiver::encode(const Value& value, int depth) {
  if (depth > kMaxDepth)
    return Failure{QStringLiteral("keyed archive: nesting deeper than %1").arg(kMaxDepth)};
  switch (value.type()) {
    case Value::Type::Absent:
      return Failure{QStringLiteral("keyed archive: an absent value cannot be archived")};
    case Value::Type::String: {
      if (!value.isMutable()) return encodeString(*value.stringPointer());
      const quint32 uid = reserve();
      objects_[uid] = object(QStringLiteral("NSMutableString"), {QStringLiteral("NS.string")},
                             {PropertyListObject::string(value.toString())});
      return uid;
    }
    case Value::Type::Null:
    case Value::Type::Integer:
    case Value::Type::Unsigned:
    case Value::Type::Double:
    case Value::Type::Boolean:
    case Value::Type::Date: {
      QByteArray key;
      PropertyListRef stored;
      if (value.type() == Value::Type::Null) {
        key = QByteArray(1, 'n');
      } else if (value.type() == Value::Type::Integer) {
        const qint64 v = value.toInteger();
        key = scalarKey('i', &v, sizeof v);
        stored = PropertyListObject::integer(v);
      } else if (value.type() == Value::Type::Unsigned) {
        const quint64 v = value.toUnsigned();
        key = scalarKey('u', &v, sizeof v);
        stored = PropertyListObject::unsignedInteger(v);
      } else if (value.type() == Value::Type::Double) {
        const double v = value.toDouble();
        key = scalarKey('d', &v, sizeof v);
        stored = PropertyListObject::real(v);
      } else if (value.type() == Value::Type::Boolean) {
        const bool v = value.toBool();
        key = scalarKey('b', &v, sizeof v);
        stored = PropertyListObject::boolean(v);
      } else {
        const double t = value.toDate().sinceReferenceDate;
        key = scalarKey('t', &t, sizeof t);
      }
      if (auto it = scalars_.constFind(key); it != scalars_.cend()) return *it;
      const quint32 uid = reserve();
      if (value.type() == Value::Type::Null)
        stored = object(QStringLiteral("NSNull"), {}, {});
      else if (value.type() == Value::Type::Date)
        stored = object(QStringLiteral("NSDate"), {QStringLiteral("NS.time")},
                        {PropertyListObject::real(value.toDate().sinceReferenceDate)});
      objects_[uid] = std::move(stored);
      scalars_.insert(key, uid);
      return uid;
    }
    case Value::Type::Data: {
      const quint32 uid = reserve();
      if (value.isMutable())
        objects_[uid] = object(QStringLiteral("NSMutableData"), {QStringLiteral("NS.data")},
                               {PropertyListObject::data(value.toData())});
      else
        objects_[uid] = PropertyListObject::data(value.toData());
      return uid;
    }
    case Value::Type::Rect: {
      const Rect r = value.toRect();
      if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.width) ||
          !std::isfinite(r.height))
        return Failure{QStringLiteral("keyed archive: a rectangle with a non-finite number")};
      const quint32 uid = reserve();
      const quint32 text = encodeString(
          QStringLiteral("{{%1, %2}, {%3, %4}}")
              .arg(rectNumber(r.x), rectNumber(r.y), rectNumber(r.width), rectNumber(r.height)));
      objects_[uid] = object(QStringLiteral("NSValue"),
                             {QStringLiteral("NS.rectval"), QStringLiteral("NS.special")},
                             {uidNode(text), PropertyListObject::integer(3)});
      return uid;
    }
    case Value::Type::Array:
    case Value::Type::Dictionary:
      return encodeContainer(value, depth);
  }
  return Failure{QStringLiteral("keyed archive: unknown value kind")};
}

Result<quint32> KeyedArchiver::encodeContainer(const Value& value, int depth) {
  const void* identity = value.isArray() ? static_cast<const void*>(value.toArray().get())
                                         : static_cast<const void*>(value.dictionaryPointer());
  if (auto it = containers_.constFind(identity); it != containers_.cend()) return *it;
  if (onPath_.contains(identity))
    return Failure{QStringLiteral("keyed archive: a container contains itself")};
  onPath_.insert(identity, true);
  const quint32 uid = reserve();

  auto encodeAll = [&](const std::vector<Value>& values,
                       std::vector<PropertyListRef>& uids) -> QString {
    for (const Value& v : values) {
      if (v.isAbsent()) return QStringLiteral("keyed archive: an absent value in an array");
      auto child = encode(v, depth + 1);
      if (!child) return child.error();
      uids.push_back(uidNode(child.value()));
    }
    return {};
  };

  std::vector<PropertyListRef> objectUids;
  if (const ArrayRef array = value.toArray()) {
    objectUids.reserve(array->values().size());
    if (QString error = encodeAll(array->values(), objectUids); !error.isEmpty())
      return Failure{error};
    objects_[uid] =
        object(array->isMutable() ? QStringLiteral("NSMutableArray") : QStringLiteral("NSArray"),
               {QStringLiteral("NS.objects")}, {PropertyListObject::array(std::move(objectUids))});
  } else {
    const Dictionary& dictionary = *value.dictionaryPointer();
    std::vector<PropertyListRef> keyUids;
    std::vector<Value> values;
    keyUids.reserve(dictionary.entries().size());
    values.reserve(dictionary.entries().size());
    for (const auto& [key, v] : dictionary.entries()) {
      keyUids.push_back(uidNode(encodeString(key)));
      values.push_back(v);
    }
    if (QString error = encodeAll(values, objectUids); !error.isEmpty()) return Failure{error};
    objects_[uid] = object(dictionary.isMutable() ? QStringLiteral("NSMutableDictionary")
                                                  : QStringLiteral("NSDictionary"),
                           {QStringLiteral("NS.keys"), QStringLiteral("NS.objects")},
                           {PropertyListObject::array(std::move(keyUids)),
                            PropertyListObject::array(std::move(objectUids))});
  }
  onPath_.remove(identity);
  containers_.insert(identity, uid);
  return uid;
}
