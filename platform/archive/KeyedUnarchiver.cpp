#include "platform/archive/KeyedUnarchiver.h"

#include <QRegularExpression>
#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/Array.h"
#include "platform/Dictionary.h"

namespace {
using Type = BinaryPropertyListView::Type;
using Object = BinaryPropertyListView::Object;

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

// The values of a dictionary under the given keys, as object indexes; the first entry of a
// key wins, and found[i] stays as it was for a key that is missing.
Result<void> findKeys(const BinaryPropertyListView& plist, const Object& dictionary,
                      std::initializer_list<QLatin1StringView> keys, quint64* found) {
  for (quint64 i = 0; i < dictionary.count; ++i) {
    auto keyRef = plist.reference(dictionary, i);
    if (!keyRef) return Failure{keyRef.error()};
    auto key = plist.object(keyRef.value());
    if (!key) return Failure{key.error()};
    if (!key.value().isString())
      return plist.fail(dictionary.index, dictionary.offset,
                        QStringLiteral("dictionary key is not a string"));
    std::size_t which = 0;
    for (QLatin1StringView name : keys) {
      if (plist.textEquals(key.value(), name)) {
        if (found[which] == ~quint64{0}) {
          auto value = plist.reference(dictionary, dictionary.count + i);
          if (!value) return Failure{value.error()};
          found[which] = value.value();
        }
        break;
      }
      ++which;
    }
  }
  return {};
}

// The object under one key of a dictionary, if there is one.
Result<std::optional<Object>> objectForKey(const BinaryPropertyListView& plist,
                                           const Object& dictionary, QLatin1StringView key) {
  quint64 index = ~quint64{0};
  if (auto found = findKeys(plist, dictionary, {key}, &index); !found)
    return Failure{found.error()};
  if (index == ~quint64{0}) return std::optional<Object>();
  auto object = plist.object(index);
  if (!object) return Failure{object.error()};
  return std::optional<Object>(object.value());
}
}  // namespace

KeyedUnarchiver::KeyedUnarchiver(const BinaryPropertyListView& plist, const Object& objects,
                                 quint64 root, bool sharesData)
    : plist_(plist),
      objects_(objects),
      sharesData_(sharesData),
      seen_((objects.count + 63) / 64),
      shared_(seen_.size()),
      elementBudget_(kElementsPerByte * plist.size()) {
  countReferences(root);
  sharedBefore_.reserve(shared_.size());
  quint64 shared = 0;
  for (quint64 word : shared_) {
    sharedBefore_.push_back(shared);
    shared += static_cast<quint64>(std::popcount(word));
  }
  sharedValues_.resize(shared);
}

Result<Value> KeyedUnarchiver::unarchiveObjectWithData(const QByteArray& data) {
  return unarchive(data, false);
}

Result<Value> KeyedUnarchiver::unarchiveSharingData(const QByteArray& data) {
  return unarchive(data, true);
}

QByteArray KeyedUnarchiver::bytesOf(const Object& data) const {
  return sharesData_ && data.count >= plist_.size() / 2 ? plist_.sharedData(data)
                                                        : plist_.data(data);
}

Result<Value> KeyedUnarchiver::unarchive(const QByteArray& data, bool sharesData) {
  auto opened = BinaryPropertyListView::open(data);
  if (!opened) return Failure{opened.error()};
  const BinaryPropertyListView& plist = opened.value();
  auto bad = [](const QString& what) {
    return Failure{QStringLiteral("keyed archive: %1").arg(what)};
  };
  auto archive = plist.object(plist.topObject());
  if (!archive) return Failure{archive.error()};
  if (archive.value().type != Type::Dictionary)
    return bad(QStringLiteral("root is not a dictionary"));

  auto optional = [&](quint64 index) -> Result<std::optional<Object>> {
    if (index == kNone) return std::optional<Object>();
    auto object = plist.object(index);
    if (!object) return Failure{object.error()};
    return std::optional<Object>(object.value());
  };
  quint64 found[4] = {kNone, kNone, kNone, kNone};
  if (auto keys = findKeys(plist, archive.value(),
                           {QLatin1StringView("$archiver"), QLatin1StringView("$version"),
                            QLatin1StringView("$top"), QLatin1StringView("$objects")},
                           found);
      !keys)
    return Failure{keys.error()};

  auto archiver = optional(found[0]);
  if (!archiver) return Failure{archiver.error()};
  if (!archiver.value() || !archiver.value()->isString() ||
      !plist.textEquals(*archiver.value(), QLatin1StringView("NSKeyedArchiver")))
    return bad(QStringLiteral("$archiver is not NSKeyedArchiver"));
  auto version = optional(found[1]);
  if (!version) return Failure{version.error()};
  // A writer that shares numbers across types may store it as a real.
  if (!version.value() || !version.value()->isNumber() || version.value()->number() != 100000)
    return bad(QStringLiteral("$version is not 100000"));
  auto top = optional(found[2]);
  if (!top) return Failure{top.error()};
  if (!top.value() || top.value()->type != Type::Dictionary)
    return bad(QStringLiteral("$top missing"));
  auto root = objectForKey(plist, *top.value(), QLatin1StringView("root"));
  if (!root) return Failure{root.error()};
  if (!root.value() || root.value()->type != Type::Uid)
    return bad(QStringLiteral("$top has no root UID"));
  auto objects = optional(found[3]);
  if (!objects) return Failure{objects.error()};
  if (!objects.value() || objects.value()->type != Type::Array || objects.value()->count == 0)
    return bad(QStringLiteral("$objects missing or empty"));

  const quint64 rootUid = root.value()->bits;
  if (rootUid == 0) return Value();
  KeyedUnarchiver unarchiver(plist, *objects.value(), rootUid, sharesData);
  return unarchiver.decode(rootUid, 0);
}

void KeyedUnarchiver::noteReference(quint64 uid) {
  if (uid >= objects_.count) return;
  const quint64 bit = quint64{1} << (uid % 64);
  if (seen_[uid / 64] & bit)
    shared_[uid / 64] |= bit;
  else
    seen_[uid / 64] |= bit;
}

bool KeyedUnarchiver::isShared(quint64 uid) const { return (shared_[uid / 64] >> (uid % 64)) & 1; }

KeyedUnarchiver::Memo& KeyedUnarchiver::memoOf(quint64 uid) {
  const quint64 below = shared_[uid / 64] & ((quint64{1} << (uid % 64)) - 1);
  return sharedValues_[sharedBefore_[uid / 64] + static_cast<quint64>(std::popcount(below))];
}

void KeyedUnarchiver::countReferences(quint64 root) {
  // Every UID in a dictionary's values or in an array among them counts, whatever its key:
  // more than decoding follows, never less. Objects that do not read are left to decoding.
  // A dictionary or array that the property list holds once but many places name is looked
  // through twice at most: the second look has made every UID in it shared already.
  std::vector<quint8> looks(plist_.objectCount());
  const auto mayLook = [&looks](quint64 index) {
    if (looks[index] == 2) return false;
    ++looks[index];
    return true;
  };
  noteReference(root);
  for (quint64 uid = 1; uid < objects_.count; ++uid) {
    auto ref = plist_.reference(objects_, uid);
    if (!ref || !mayLook(ref.value())) continue;
    auto object = plist_.object(ref.value());
    if (!object || object.value().type != Type::Dictionary) continue;
    const Object& dictionary = object.value();
    for (quint64 i = dictionary.count; i < 2 * dictionary.count; ++i) {
      auto valueRef = plist_.reference(dictionary, i);
      if (!valueRef) continue;
      auto value = plist_.object(valueRef.value());
      if (!value) continue;
      if (value.value().type == Type::Uid) noteReference(value.value().bits);
      if (value.value().type != Type::Array || !mayLook(valueRef.value())) continue;
      for (quint64 j = 0; j < value.value().count; ++j)
        if (auto element = plist_.uidAt(value.value(), j)) noteReference(*element);
    }
  }
}

Failure KeyedUnarchiver::fail(quint64 uid, const QString& what) const {
  return Failure{QStringLiteral("keyed archive: %1 (object %2)").arg(what).arg(uid)};
}

Result<Value> KeyedUnarchiver::decode(quint64 uid, int depth) {
  if (uid >= objects_.count)
    return fail(uid, QStringLiteral("UID beyond %1 objects").arg(objects_.count));
  if (uid == 0) return fail(uid, QStringLiteral("nil where a value is needed"));
  // Only an object referenced twice can be reached again, on the path or after it.
  Memo* memo = isShared(uid) ? &memoOf(uid) : nullptr;
  if (memo && !memo->value.isAbsent()) return memo->value;
  if (memo && memo->decoding) return fail(uid, QStringLiteral("object contains itself"));
  if (depth > kMaxDepth) return fail(uid, QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  auto ref = plist_.reference(objects_, uid);
  if (!ref) return Failure{ref.error()};
  auto object = plist_.object(ref.value());
  if (!object) return Failure{object.error()};
  if (!memo) return decodeObject(uid, object.value(), depth);
  memo->decoding = true;
  auto result = decodeObject(uid, object.value(), depth);
  memo->decoding = false;
  if (result) memo->value = result.value();
  return result;
}

Result<KeyedUnarchiver::Fields> KeyedUnarchiver::fieldsOf(const Object& object) {
  static const QLatin1StringView kNames[] = {
      QLatin1StringView("$class"),     QLatin1StringView("NS.keys"),
      QLatin1StringView("NS.objects"), QLatin1StringView("NS.string"),
      QLatin1StringView("NS.bytes"),   QLatin1StringView("NS.data"),
      QLatin1StringView("NS.time"),    QLatin1StringView("NS.special"),
      QLatin1StringView("NS.rectval")};
  Fields fields;
  for (quint64 i = 0; i < object.count; ++i) {
    auto keyRef = plist_.reference(object, i);
    if (!keyRef) return Failure{keyRef.error()};
    KeyField& cached = keyFields_[keyRef.value() % keyFields_.size()];
    if (cached.index != keyRef.value()) {
      auto key = plist_.object(keyRef.value());
      if (!key) return Failure{key.error()};
      if (!key.value().isString())
        return plist_.fail(object.index, object.offset,
                           QStringLiteral("dictionary key is not a string"));
      quint8 field = 0;
      while (field < std::size(kNames) && !plist_.textEquals(key.value(), kNames[field])) ++field;
      cached = {keyRef.value(), field};
    }
    // The first entry of a key wins.
    if (cached.field >= fields.size() || fields[cached.field]) continue;
    auto valueRef = plist_.reference(object, object.count + i);
    if (!valueRef) return Failure{valueRef.error()};
    auto value = plist_.object(valueRef.value());
    if (!value) return Failure{value.error()};
    fields[cached.field] = value.value();
  }
  return fields;
}

QString KeyedUnarchiver::className(const Fields& fields) const {
  // Only named once classOf has accepted the record.
  auto ref = plist_.reference(objects_, fields[kClass]->bits);
  if (!ref) return {};
  auto record = plist_.object(ref.value());
  if (!record) return {};
  auto name = objectForKey(plist_, record.value(), QLatin1StringView("$classname"));
  if (!name || !name.value()) return {};
  auto text = plist_.string(*name.value());
  return text ? text.take() : QString();
}

Result<KeyedUnarchiver::Class> KeyedUnarchiver::classOf(quint64 uid, const Fields& fields) {
  const std::optional<Object>& cls = fields[kClass];
  if (!cls || cls->type != Type::Uid) return fail(uid, QStringLiteral("$class is not a UID"));
  if (auto it = classes_.constFind(cls->index); it != classes_.cend()) return *it;
  const quint64 recordUid = cls->bits;
  if (recordUid >= objects_.count)
    return fail(
        uid, QStringLiteral("$class UID %1 beyond %2 objects").arg(recordUid).arg(objects_.count));
  auto ref = plist_.reference(objects_, recordUid);
  if (!ref) return Failure{ref.error()};
  auto record = plist_.object(ref.value());
  if (!record) return Failure{record.error()};
  std::optional<Object> name;
  if (record.value().type == Type::Dictionary) {
    auto found = objectForKey(plist_, record.value(), QLatin1StringView("$classname"));
    if (!found) return Failure{found.error()};
    name = found.value();
  }
  if (!name || !name->isString())
    return fail(uid, QStringLiteral("class record %1 has no $classname").arg(recordUid));
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
    if (plist_.textEquals(*name, QLatin1StringView(text))) found = kind;
  classes_.insert(cls->index, found);
  return found;
}

Result<KeyedUnarchiver::Object> KeyedUnarchiver::list(quint64 uid,
                                                      const std::optional<Object>& field,
                                                      const char* key) const {
  if (!field || field->type != Type::Array)
    return fail(uid, QStringLiteral("%1 is not an array").arg(QLatin1String(key)));
  return *field;
}

DictionaryKeysRef KeyedUnarchiver::sharedKeys(const std::vector<QString>& names) {
  for (const DictionaryKeysRef& keys : recentKeys_)
    if (keys && keys->count() == static_cast<qsizetype>(names.size()) &&
        std::equal(names.begin(), names.end(), keys->begin()))
      return keys;
  auto keys = std::make_shared<const DictionaryKeys>(names);
  if (keys->hasDuplicates()) return {};
  recentKeys_[nextRecentKeys_++ % recentKeys_.size()] = keys;
  return keys;
}

bool KeyedUnarchiver::uidsOf(const Object& list, std::vector<quint64>& uids) const {
  uids.clear();
  for (quint64 i = 0; i < list.count; ++i) {
    auto item = plist_.uidAt(list, i);
    if (!item) return false;
    uids.push_back(*item);
  }
  return true;
}

template <typename Take>
Result<void> KeyedUnarchiver::decodeList(quint64 uid, const Object& list, const char* key,
                                         int depth, Take take) {
  if (list.count > elementBudget_)
    return fail(
        uid, QStringLiteral("more elements than %1 a byte of the archive").arg(kElementsPerByte));
  elementBudget_ -= list.count;
  for (quint64 i = 0; i < list.count; ++i) {
    auto item = plist_.uidAt(list, i);
    if (!item) {
      // Only to say why it is not one.
      auto ref = plist_.reference(list, i);
      if (!ref) return Failure{ref.error()};
      auto object = plist_.object(ref.value());
      if (!object) return Failure{object.error()};
      return fail(uid, QStringLiteral("%1 holds a non-UID").arg(QLatin1String(key)));
    }
    auto v = decode(*item, depth + 1);
    if (!v) return Failure{v.error()};
    if (auto taken = take(i, v.take()); !taken) return taken;
  }
  return {};
}

Result<Value> KeyedUnarchiver::decodeObject(quint64 uid, const Object& object, int depth) {
  switch (object.type) {
    case Type::AsciiString:
    case Type::Utf16String: {
      auto text = plist_.string(object);
      if (!text) return Failure{text.error()};
      return Value(text.take());
    }
    case Type::Integer:
      return object.isUnsigned ? Value::unsignedInteger(object.bits)
                               : Value::integer(static_cast<qint64>(object.bits));
    case Type::Real:
      return Value::real(object.real());
    case Type::Boolean:
      return Value::boolean(object.bits != 0);
    case Type::Date:
      return Value(Date{object.real()});
    case Type::Data:
      return Value::data(bytesOf(object));
    case Type::Dictionary:
      break;
    default:
      return fail(uid, QStringLiteral("unexpected object kind in $objects"));
  }

  auto found = fieldsOf(object);
  if (!found) return Failure{found.error()};
  const Fields& fields = found.value();
  auto known = classOf(uid, fields);
  if (!known) return Failure{known.error()};
  const Class cls = known.value();
  // A field's value, when it is there and of the given type.
  auto field = [&](Field f, auto accepts) -> std::optional<Object> {
    if (!fields[f] || !accepts(*fields[f])) return std::nullopt;
    return fields[f];
  };
  auto isData = [](const Object& o) { return o.type == Type::Data; };
  auto isString = [](const Object& o) { return o.isString(); };
  auto isNumber = [](const Object& o) { return o.isNumber(); };

  if (cls == Class::Array || cls == Class::MutableArray) {
    auto objects = list(uid, fields[kObjects], "NS.objects");
    if (!objects) return Failure{objects.error()};
    std::vector<Value> values;
    values.reserve(objects.value().count);
    auto decoded = decodeList(uid, objects.value(), "NS.objects", depth, [&](quint64, Value v) {
      values.push_back(std::move(v));
      return Result<void>();
    });
    if (!decoded) return Failure{decoded.error()};
    return Value(Array::create(std::move(values), cls == Class::MutableArray));
  }
  if (cls == Class::Dictionary || cls == Class::MutableDictionary) {
    auto keys = list(uid, fields[kKeys], "NS.keys");
    auto objects = list(uid, fields[kObjects], "NS.objects");
    if (!keys || !objects || keys.value().count != objects.value().count)
      return fail(uid, QStringLiteral("NS.keys and NS.objects are not arrays of one length"));
    std::vector<QString> names;
    // The same key objects as the last dictionary decode to the same keys.
    DictionaryKeysRef shared;
    const bool readUids = uidsOf(keys.value(), keyUids_);
    if (readUids && lastKeys_ && keyUids_ == lastKeyUids_ && keys.value().count <= elementBudget_) {
      elementBudget_ -= keys.value().count;
      shared = lastKeys_;
    } else {
      names.reserve(keys.value().count);
      auto named = decodeList(uid, keys.value(), "NS.keys", depth, [&](quint64 i, const Value& v) {
        const QString* name = v.stringPointer();
        if (!name)
          return Result<void>(
              fail(uid, QStringLiteral("dictionary key %1 is not a string").arg(i)));
        names.push_back(*name);
        return Result<void>();
      });
      if (!named) return Failure{named.error()};
      // Before the values: their dictionaries use keyUids_ too.
      shared = sharedKeys(names);
      if (shared && readUids) {
        std::swap(lastKeyUids_, keyUids_);
        lastKeys_ = shared;
      }
    }
    std::vector<Value> values;
    values.reserve(objects.value().count);
    bool allPresent = true;
    auto decoded = decodeList(uid, objects.value(), "NS.objects", depth, [&](quint64, Value v) {
      allPresent = allPresent && !v.isAbsent();
      values.push_back(std::move(v));
      return Result<void>();
    });
    if (!decoded) return Failure{decoded.error()};
    const bool isMutable = cls == Class::MutableDictionary;
    if (allPresent && shared)
      return Value(Dictionary::create(std::move(shared), std::move(values), isMutable));
    if (names.empty() && shared) names.assign(shared->begin(), shared->end());
    // Keys given twice or values of nil: the dictionary as setting each in turn makes it.
    auto dictionary = Dictionary::create(isMutable);
    for (std::size_t i = 0; i < names.size(); ++i)
      dictionary->setValue(names[i], std::move(values[i]));
    return Value(std::move(dictionary));
  }
  if (cls == Class::String || cls == Class::MutableString) {
    QString text;
    if (auto s = field(kString, isString)) {
      auto read = plist_.string(*s);
      if (!read) return Failure{read.error()};
      text = read.take();
    } else if (auto b = field(kBytes, isData)) {
      text = QString::fromUtf8(plist_.data(*b));
    } else {
      return fail(uid, QStringLiteral("%1 without NS.string").arg(className(fields)));
    }
    return cls == Class::MutableString ? Value::mutableString(std::move(text))
                                       : Value(std::move(text));
  }
  if (cls == Class::Data || cls == Class::MutableData) {
    auto d = field(kData, isData);
    if (!d) d = field(kBytes, isData);
    if (!d) return fail(uid, QStringLiteral("%1 without NS.data").arg(className(fields)));
    return Value::data(bytesOf(*d), cls == Class::MutableData);
  }
  if (cls == Class::Date) {
    auto t = field(kTime, isNumber);
    if (!t) return fail(uid, QStringLiteral("NSDate without a numeric NS.time"));
    return Value(Date{t->number()});
  }
  if (cls == Class::Null) return Value::null();
  if (cls == Class::Value) {
    auto special = field(kSpecial, isNumber);
    if (!special) return fail(uid, QStringLiteral("NSValue without NS.special"));
    if (special->number() != 3)
      return fail(uid, QStringLiteral("unsupported NSValue kind %1").arg(special->number()));
    const std::optional<Object>& rect = fields[kRectval];
    std::optional<Object> text = rect;
    if (rect && rect->type == Type::Uid) {
      if (rect->bits >= objects_.count)
        return fail(uid, QStringLiteral("NS.rectval UID beyond the objects"));
      auto ref = plist_.reference(objects_, rect->bits);
      if (!ref) return Failure{ref.error()};
      auto target = plist_.object(ref.value());
      if (!target) return Failure{target.error()};
      text = target.value();
    }
    if (!text || !text->isString()) return fail(uid, QStringLiteral("NS.rectval is not a string"));
    auto read = plist_.string(*text);
    if (!read) return Failure{read.error()};
    auto r = parseRect(read.value());
    if (!r)
      return fail(uid, QStringLiteral("NS.rectval \"%1\" is not a rectangle").arg(read.value()));
    return Value(*r);
  }
  return fail(uid, QStringLiteral("unsupported class %1").arg(className(fields)));
}
