#include "platform/KeyedUnarchiver.h"

#include <QRegularExpression>
#include <cmath>

#include "platform/Array.h"
#include "platform/BinaryPropertyListReader.h"
#include "platform/Dictionary.h"

namespace {
using Kind = PropertyListObject::Kind;

bool isNumber(const PropertyListObject* o) {
  return o && (o->kind() == Kind::Integer || o->kind() == Kind::Real);
}

double numberValue(const PropertyListObject& o) {
  if (o.kind() == Kind::Real) return o.realValue();
  return o.isUnsigned() ? static_cast<double>(static_cast<quint64>(o.integerValue()))
                        : static_cast<double>(o.integerValue());
}

// "{{x, y}, {w, h}}", read tolerantly: exactly four numbers, each with optional sign,
// fraction and exponent.
std::optional<Rect> parseRect(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("[-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?"));
  double v[4];
  int n = 0;
  auto it = number.globalMatch(text);
  while (it.hasNext()) {
    const auto match = it.next();
    if (n == 4) return std::nullopt;
    bool ok = false;
    v[n++] = match.captured().toDouble(&ok);
    if (!ok) return std::nullopt;
  }
  if (n != 4) return std::nullopt;
  return Rect{v[0], v[1], v[2], v[3]};
}
}  // namespace

KeyedUnarchiver::KeyedUnarchiver(const std::vector<PropertyListRef>& objects)
    : objects_(objects),
      decoded_(objects.size()),
      onPath_(objects.size(), false),
      classes_(objects.size(), Class::Unknown) {}

Result<Value> KeyedUnarchiver::unarchiveObjectWithData(const QByteArray& data) {
  auto plist = BinaryPropertyListReader::read(data);
  if (!plist) return Failure{plist.error()};
  return unarchiveObject(*plist.value());
}

Result<Value> KeyedUnarchiver::unarchiveObject(const PropertyListObject& archive) {
  auto bad = [](const QString& what) {
    return Failure{QStringLiteral("keyed archive: %1").arg(what)};
  };
  if (archive.kind() != Kind::Dictionary) return bad(QStringLiteral("root is not a dictionary"));
  const auto* archiver = archive.valueForKey(u"$archiver");
  if (!archiver || archiver->kind() != Kind::String ||
      archiver->stringValue() != QLatin1String("NSKeyedArchiver"))
    return bad(QStringLiteral("$archiver is not NSKeyedArchiver"));
  const auto* version = archive.valueForKey(u"$version");
  // A writer that shares numbers across types may store it as a real.
  if (!isNumber(version) || numberValue(*version) != 100000)
    return bad(QStringLiteral("$version is not 100000"));
  const auto* top = archive.valueForKey(u"$top");
  if (!top || top->kind() != Kind::Dictionary) return bad(QStringLiteral("$top missing"));
  const auto* root = top->valueForKey(u"root");
  if (!root || root->kind() != Kind::Uid) return bad(QStringLiteral("$top has no root UID"));
  const auto* objects = archive.valueForKey(u"$objects");
  if (!objects || objects->kind() != Kind::Array || objects->items().empty())
    return bad(QStringLiteral("$objects missing or empty"));

  KeyedUnarchiver unarchiver(objects->items());
  if (root->uidValue() == 0) return Value();
  return unarchiver.decode(root->uidValue(), 0);
}

Failure KeyedUnarchiver::fail(quint64 uid, const QString& what) const {
  return Failure{QStringLiteral("keyed archive: %1 (object %2)").arg(what).arg(uid)};
}

Result<Value> KeyedUnarchiver::decode(quint64 uid, int depth) {
  if (uid >= objects_.size())
    return fail(uid, QStringLiteral("UID beyond %1 objects").arg(objects_.size()));
  if (uid == 0) return fail(uid, QStringLiteral("nil where a value is needed"));
  if (decoded_[uid]) return *decoded_[uid];
  if (onPath_[uid]) return fail(uid, QStringLiteral("object contains itself"));
  if (depth > kMaxDepth) return fail(uid, QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  onPath_[uid] = true;
  auto result = decodeObject(uid, *objects_[uid], depth);
  onPath_[uid] = false;
  if (result) decoded_[uid] = result.value();
  return result;
}

Result<QString> KeyedUnarchiver::className(quint64 uid, const PropertyListObject& object) const {
  const auto* cls = object.valueForKey(u"$class");
  if (!cls || cls->kind() != Kind::Uid) return fail(uid, QStringLiteral("$class is not a UID"));
  if (cls->uidValue() >= objects_.size())
    return fail(uid, QStringLiteral("$class UID %1 beyond %2 objects")
                         .arg(cls->uidValue())
                         .arg(objects_.size()));
  const auto& record = *objects_[cls->uidValue()];
  const auto* name =
      record.kind() == Kind::Dictionary ? record.valueForKey(u"$classname") : nullptr;
  if (!name || name->kind() != Kind::String)
    return fail(uid, QStringLiteral("class record %1 has no $classname").arg(cls->uidValue()));
  return name->stringValue();
}

Result<KeyedUnarchiver::Class> KeyedUnarchiver::classOf(quint64 uid,
                                                        const PropertyListObject& object) {
  const auto* cls = object.valueForKey(u"$class");
  if (cls && cls->kind() == Kind::Uid && cls->uidValue() < classes_.size() &&
      classes_[cls->uidValue()] != Class::Unknown)
    return classes_[cls->uidValue()];
  auto name = className(uid, object);
  if (!name) return Failure{name.error()};
  static const std::pair<const char*, Class> kKnown[] = {
      {"NSArray", Class::Array},
      {"NSMutableArray", Class::MutableArray},
      {"NSDictionary", Class::Dictionary},
      {"NSMutableDictionary", Class::MutableDictionary},
      {"NSString", Class::String},
      {"NSMutableString", Class::MutableString},
      {"NSData", Class::Data},
      {"NSMutableData", Class::MutableData},
      {"NSDate", Class::Date},
      {"NSNull", Class::Null},
      {"NSValue", Class::Value},
  };
  Class found = Class::Other;
  for (const auto& [text, kind] : kKnown)
    if (name.value() == QLatin1String(text)) found = kind;
  classes_[cls->uidValue()] = found;
  return found;
}

Result<std::vector<Value>> KeyedUnarchiver::decodeList(quint64 uid, const PropertyListObject* list,
                                                       const char* key, int depth) {
  if (!list || list->kind() != Kind::Array)
    return fail(uid, QStringLiteral("%1 is not an array").arg(QLatin1String(key)));
  std::vector<Value> values;
  values.reserve(list->items().size());
  for (const auto& item : list->items()) {
    if (item->kind() != Kind::Uid)
      return fail(uid, QStringLiteral("%1 holds a non-UID").arg(QLatin1String(key)));
    auto v = decode(item->uidValue(), depth + 1);
    if (!v) return Failure{v.error()};
    values.push_back(v.take());
  }
  return values;
}

Result<Value> KeyedUnarchiver::decodeObject(quint64 uid, const PropertyListObject& object,
                                            int depth) {
  switch (object.kind()) {
    case Kind::String:
      return Value(object.stringValue());
    case Kind::Integer:
      return object.isUnsigned()
                 ? Value::unsignedInteger(static_cast<quint64>(object.integerValue()))
                 : Value::integer(object.integerValue());
    case Kind::Real:
      return Value::real(object.realValue());
    case Kind::Boolean:
      return Value::boolean(object.boolValue());
    case Kind::Date:
      return Value(Date{object.realValue()});
    case Kind::Data:
      return Value::data(object.dataValue());
    case Kind::Dictionary:
      break;
    default:
      return fail(uid, QStringLiteral("unexpected object kind in $objects"));
  }

  auto known = classOf(uid, object);
  if (!known) return Failure{known.error()};
  const Class cls = known.value();
  auto field = [&](const char16_t* key) { return object.valueForKey(QStringView(key)); };

  if (cls == Class::Array || cls == Class::MutableArray) {
    auto values = decodeList(uid, field(u"NS.objects"), "NS.objects", depth);
    if (!values) return Failure{values.error()};
    return Value(Array::create(values.take(), cls == Class::MutableArray));
  }
  if (cls == Class::Dictionary || cls == Class::MutableDictionary) {
    const auto* keys = field(u"NS.keys");
    const auto* values = field(u"NS.objects");
    if (!keys || !values || keys->kind() != Kind::Array || values->kind() != Kind::Array ||
        keys->items().size() != values->items().size())
      return fail(uid, QStringLiteral("NS.keys and NS.objects are not arrays of one length"));
    auto keyValues = decodeList(uid, keys, "NS.keys", depth);
    if (!keyValues) return Failure{keyValues.error()};
    auto objectValues = decodeList(uid, values, "NS.objects", depth);
    if (!objectValues) return Failure{objectValues.error()};
    auto dictionary = Dictionary::create(cls == Class::MutableDictionary);
    for (std::size_t i = 0; i < keyValues.value().size(); ++i) {
      const QString* key = keyValues.value()[i].stringPointer();
      if (!key) return fail(uid, QStringLiteral("dictionary key %1 is not a string").arg(i));
      dictionary->setValue(*key, std::move(objectValues.value()[i]));
    }
    return Value(std::move(dictionary));
  }
  if (cls == Class::String || cls == Class::MutableString) {
    QString text;
    if (const auto* s = field(u"NS.string"); s && s->kind() == Kind::String)
      text = s->stringValue();
    else if (const auto* b = field(u"NS.bytes"); b && b->kind() == Kind::Data)
      text = QString::fromUtf8(b->dataValue());
    else
      return fail(uid, QStringLiteral("%1 without NS.string").arg(className(uid, object).value()));
    return cls == Class::MutableString ? Value::mutableString(std::move(text))
                                       : Value(std::move(text));
  }
  if (cls == Class::Data || cls == Class::MutableData) {
    const auto* d = field(u"NS.data");
    if (!d || d->kind() != Kind::Data) d = field(u"NS.bytes");
    if (!d || d->kind() != Kind::Data)
      return fail(uid, QStringLiteral("%1 without NS.data").arg(className(uid, object).value()));
    return Value::data(d->dataValue(), cls == Class::MutableData);
  }
  if (cls == Class::Date) {
    const auto* t = field(u"NS.time");
    if (!isNumber(t)) return fail(uid, QStringLiteral("NSDate without a numeric NS.time"));
    return Value(Date{numberValue(*t)});
  }
  if (cls == Class::Null) return Value::null();
  if (cls == Class::Value) {
    const auto* special = field(u"NS.special");
    if (!isNumber(special)) return fail(uid, QStringLiteral("NSValue without NS.special"));
    if (numberValue(*special) != 3)
      return fail(uid, QStringLiteral("unsupported NSValue kind %1").arg(numberValue(*special)));
    const auto* rect = field(u"NS.rectval");
    const PropertyListObject* text = rect;
    if (rect && rect->kind() == Kind::Uid) {
      if (rect->uidValue() >= objects_.size())
        return fail(uid, QStringLiteral("NS.rectval UID beyond the objects"));
      text = objects_[rect->uidValue()].get();
    }
    if (!text || text->kind() != Kind::String)
      return fail(uid, QStringLiteral("NS.rectval is not a string"));
    auto r = parseRect(text->stringValue());
    if (!r)
      return fail(uid,
                  QStringLiteral("NS.rectval \"%1\" is not a rectangle").arg(text->stringValue()));
    return Value(*r);
  }
  return fail(uid, QStringLiteral("unsupported class %1").arg(className(uid, object).value()));
}
