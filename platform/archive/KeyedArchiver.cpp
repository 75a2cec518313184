#include "platform/archive/KeyedArchiver.h"

#include <QLocale>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/archive/BinaryPropertyListObjectTable.h"

namespace {
// Each class's name and its superclasses, in ClassName order.
constexpr const char* kClassChains[][3] = {
    {"NSMutableString", "NSString", "NSObject"},
    {"NSMutableData", "NSData", "NSObject"},
    {"NSValue", "NSObject"},
    {"NSNull", "NSObject"},
    {"NSDate", "NSObject"},
    {"NSArray", "NSObject"},
    {"NSMutableArray", "NSArray", "NSObject"},
    {"NSDictionary", "NSObject"},
    {"NSMutableDictionary", "NSDictionary", "NSObject"},
};

// Shortest text that reads back as the same double; integral values have no decimal point.
QString rectNumber(double d) { return QString::number(d, 'g', QLocale::FloatingPointShortest); }

QString keyText(int which) {
  static const char* const kTexts[] = {
      "$version",  "$archiver", "$top",       "$objects",   "root",
      "$class",    "$classes",  "$classname", "NS.keys",    "NS.objects",
      "NS.string", "NS.time",   "NS.data",    "NS.rectval", "NS.special",
  };
  return QString::fromLatin1(kTexts[which]);
}
}  // namespace

KeyedArchiver::KeyedArchiver(ElementForm* form) : form_(form) {
  add(Shape::String, internMade(QStringLiteral("$null")));
}

Result<QByteArray> KeyedArchiver::archivedDataWithRootObject(const Value& root, ElementForm* form) {
  KeyedArchiver archiver(form);
  auto top = archiver.encode(root, 0);
  if (!top) return Failure{top.error()};
  BinaryPropertyListObjectTable table;
  archiver.fill(table, top.value());
  return table.write();
}

Result<QByteArrayList> KeyedArchiver::archivedPiecesWithRootObject(const Value& root,
                                                                   qsizetype apartSize) {
  KeyedArchiver archiver(nullptr);
  auto top = archiver.encode(root, 0);
  if (!top) return Failure{top.error()};
  BinaryPropertyListObjectTable table;
  archiver.fill(table, top.value());
  return table.writePieces(apartSize);
}

quint32 KeyedArchiver::add(Shape shape, quint64 bits, quint32 count) {
  objects_.push_back(Object{shape, 0, count, bits});
  return static_cast<quint32>(objects_.size() - 1);
}

quint32 KeyedArchiver::addData(Shape shape, const QByteArray& data) {
  data_.push_back(data);
  return add(shape, data_.size() - 1);
}

quint32 KeyedArchiver::intern(QStringView text) {
  const auto [id, added] =
      textIds_.findOrAdd(static_cast<quint32>(textHash(text)), static_cast<quint32>(texts_.size()),
                         [&](quint32 known) { return texts_[known] == text; });
  if (added) {
    texts_.push_back(text);
    // The characters were just read for the hash: known now, no second trip to them later.
    asciiTexts_.push_back(BinaryPropertyListObjectTable::isAscii(text));
    stringUids_.push_back(0);
  }
  return id;
}

quint32 KeyedArchiver::internMade(QString text) {
  const std::size_t known = texts_.size();
  const quint32 id = intern(text);
  if (texts_.size() != known) {
    // Moving a QString keeps its characters where they are, so the view stays valid.
    madeTexts_.push_back(std::move(text));
    texts_.back() = madeTexts_.back();
  }
  return id;
}

quint32 KeyedArchiver::textOf(const QString& string) {
  // Characters and size name the text while the archived value lives: it is not changed.
  const auto where = reinterpret_cast<quintptr>(string.constData());
  RecentText& recent = recentTexts_[(quint64{where} * 0x9E3779B97F4A7C15u) >> 58];
  if (recent.characters != string.constData() || recent.size != string.size())
    recent = RecentText{string.constData(), string.size(), intern(string)};
  return recent.text;
}

quint32 KeyedArchiver::encodeString(quint32 text) {
  if (stringUids_[text] == 0) stringUids_[text] = add(Shape::String, text);
  return stringUids_[text];
}

quint32 KeyedArchiver::classRecord(ClassName name) {
  quint32& uid = classes_[static_cast<std::size_t>(name)];
  if (uid == 0) uid = add(Shape::ClassRecord, static_cast<quint64>(name));
  return uid;
}

Result<quint32> KeyedArchiver::encode(const Value& value, int depth) {
  if (depth > kMaxDepth)
    return Failure{QStringLiteral("keyed archive: nesting deeper than %1").arg(kMaxDepth)};
  switch (value.type()) {
    case Value::Type::Absent:
      return Failure{QStringLiteral("keyed archive: an absent value cannot be archived")};
    case Value::Type::String: {
      const quint32 text = textOf(*value.stringPointer());
      if (!value.isMutable()) return encodeString(text);
      // The class record follows the object's children, as the macOS archiver numbers them.
      const quint32 uid = add(Shape::MutableString, text);
      const quint32 cls = classRecord(ClassName::MutableString);
      objects_[uid].classUid = cls;
      return uid;
    }
    case Value::Type::Null:
    case Value::Type::Integer:
    case Value::Type::Unsigned:
    case Value::Type::Double:
    case Value::Type::Boolean:
    case Value::Type::Date:
      return encodeScalar(value);
    case Value::Type::Data: {
      if (!value.isMutable()) return addData(Shape::Data, value.toData());
      const quint32 uid = addData(Shape::MutableData, value.toData());
      const quint32 cls = classRecord(ClassName::MutableData);
      objects_[uid].classUid = cls;
      return uid;
    }
    case Value::Type::Rect: {
      const Rect r = value.toRect();
      if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.width) ||
          !std::isfinite(r.height))
        return Failure{QStringLiteral("keyed archive: a rectangle with a non-finite number")};
      const quint32 uid = add(Shape::RectValue);
      // A text made here, so not looked up by where its characters live.
      const quint32 text = encodeString(internMade(
          QStringLiteral("{{%1, %2}, {%3, %4}}")
              .arg(rectNumber(r.x), rectNumber(r.y), rectNumber(r.width), rectNumber(r.height))));
      const quint32 cls = classRecord(ClassName::Value);
      objects_[uid].bits = text;
      objects_[uid].classUid = cls;
      return uid;
    }
    case Value::Type::Array:
    case Value::Type::Dictionary:
      return encodeContainer(value, depth);
  }
  return Failure{QStringLiteral("keyed archive: unknown value kind")};
}

Result<quint32> KeyedArchiver::encodeScalar(const Value& value) {
  // Equal scalars are archived once; each kind has its own table, keyed by the value's bits.
  FlatIndex<quint32>* table = nullptr;
  quint32* slot = nullptr;
  quint64 bits = 0;
  Object object;
  switch (value.type()) {
    case Value::Type::Null:
      slot = &null_;
      object.shape = Shape::Null;
      break;
    case Value::Type::Boolean:
      slot = &booleans_[value.toBool() ? 1 : 0];
      object.shape = Shape::Boolean;
      bits = value.toBool() ? 1 : 0;
      break;
    case Value::Type::Integer:
      table = &integers_;
      object.shape = Shape::Integer;
      bits = static_cast<quint64>(value.toInteger());
      break;
    case Value::Type::Unsigned:
      table = &unsignedIntegers_;
      object.shape = Shape::Unsigned;
      bits = value.toUnsigned();
      break;
    case Value::Type::Double:
      table = &reals_;
      object.shape = Shape::Real;
      bits = std::bit_cast<quint64>(value.toDouble());
      break;
    default:
      table = &dates_;
      object.shape = Shape::Date;
      bits = std::bit_cast<quint64>(value.toDate().sinceReferenceDate);
      break;
  }
  if (slot && *slot != 0) return *slot;
  if (table) {
    const auto [known, added] = table->findOrAdd(bits, static_cast<quint32>(objects_.size()));
    if (!added) return known;
  }
  const Shape shape = object.shape;
  const quint32 uid = add(shape, bits);
  if (shape == Shape::Null || shape == Shape::Date) {
    const quint32 cls = classRecord(shape == Shape::Null ? ClassName::Null : ClassName::Date);
    objects_[uid].classUid = cls;
  }
  if (slot) *slot = uid;
  return uid;
}

Result<quint32> KeyedArchiver::encodeContainer(const Value& value, int depth) {
  const void* identity = value.isArray() ? static_cast<const void*>(value.toArray().get())
                                         : static_cast<const void*>(value.dictionaryPointer());
  const auto [known, added] = containers_.findOrAdd(reinterpret_cast<quintptr>(identity),
                                                    static_cast<quint32>(objects_.size()));
  if (!added) {
    if (objects_[known].classUid == 0)
      return Failure{QStringLiteral("keyed archive: a container contains itself")};
    return known;
  }
  const quint32 uid = add(Shape::Array);

  // Element UIDs are filled in place; the pool may grow while children are archived.
  auto encodeAll = [&](const auto& values, auto valueOf, std::size_t first,
                       auto beforeEach) -> QString {
    std::size_t i = 0;
    for (const auto& element : values) {
      beforeEach(i);
      const Value& v = valueOf(element);
      if (v.isAbsent()) return QStringLiteral("keyed archive: an absent value in an array");
      auto child = encode(v, depth + 1);
      if (!child) return child.error();
      elementUids_[first + i++] = child.value();
    }
    return {};
  };
  const auto nothingAhead = [](std::size_t) {};

  ClassName className;
  Object object;
  if (const Array* array = value.isArray() ? value.toArray().get() : nullptr) {
    if (depth == 0) reserveFor(array->values());
    const std::size_t n = array->values().size();
    const std::size_t first = elementUids_.size();
    elementUids_.resize(first + n);
    if (QString error = encodeAll(
            array->values(), [](const Value& v) -> const Value& { return v; }, first,
            [&](std::size_t i) { prefetchAhead(array->values(), i); });
        !error.isEmpty())
      return Failure{error};
    object = Object{Shape::Array, 0, static_cast<quint32>(n), first};
    className = array->isMutable() ? ClassName::MutableArray : ClassName::Array;
  } else {
    const Dictionary& dictionary = *value.dictionaryPointer();
    Value given;
    const ElementForm::Shape* shape =
        form_ && depth == 1 ? form_->shapeOf(dictionary, given) : nullptr;
    // Texts are viewed where they lie and containers known by address until the end: a given
    // value of either kind is kept that long.
    const Value& givenValue = given.type() == Value::Type::String ||
                                      given.type() == Value::Type::Array ||
                                      given.type() == Value::Type::Dictionary
                                  ? keptGivens_.emplace_back(std::move(given))
                                  : given;
    const DictionaryKeys& keys = shape ? *shape->keys : *dictionary.keyList();
    const auto n = static_cast<std::size_t>(keys.count());
    const std::size_t first = elementUids_.size();
    elementUids_.resize(first + 2 * n);
    for (std::size_t i = 0; i < n; ++i)
      elementUids_[first + i] = encodeString(textOf(keys.at(static_cast<qsizetype>(i))));
    const QString error =
        shape
            ? encodeAll(
                  shape->sources,
                  [&](qsizetype source) -> const Value& {
                    return source == ElementForm::kGiven ? givenValue : dictionary.valueAt(source);
                  },
                  first + n, nothingAhead)
            : encodeAll(
                  dictionary.values(), [](const Value& v) -> const Value& { return v; }, first + n,
                  nothingAhead);
    if (!error.isEmpty()) return Failure{error};
    object = Object{Shape::Dictionary, 0, static_cast<quint32>(n), first};
    className = dictionary.isMutable() ? ClassName::MutableDictionary : ClassName::Dictionary;
  }
  object.classUid = classRecord(className);
  objects_[uid] = object;
  return uid;
}

void KeyedArchiver::reserveFor(const std::vector<Value>& list) {
  if (list.empty()) return;
  // The fewest of a few: one odd dictionary must not make the room huge; too little only
  // means growing.
  std::size_t texts = SIZE_MAX, dates = SIZE_MAX;
  for (const std::size_t at : {std::size_t{0}, list.size() / 2, list.size() - 1}) {
    const Dictionary* sample = list[at].dictionaryPointer();
    if (!sample) return;
    std::size_t sampleTexts = 0, sampleDates = 0;
    for (const Value& v : sample->values()) {
      sampleTexts += v.stringPointer() != nullptr;
      sampleDates += v.type() == Value::Type::Date;
    }
    texts = std::min(texts, sampleTexts);
    dates = std::min(dates, sampleDates);
  }
  textIds_.reserve(texts_.size() + texts * list.size());
  dates_.reserve(dates * list.size());
  containers_.reserve(list.size() + 1);
}

void KeyedArchiver::prefetchAhead(const std::vector<Value>& list, std::size_t i) {
  // Each stage reads only what the stage before brought in, kStep elements earlier: the
  // dictionary, then its values, then their texts, then the table slots they will take.
  constexpr std::size_t kStep = 4;
  const auto dictionaryAt = [&](std::size_t stage) -> const Dictionary* {
    const std::size_t at = i + stage * kStep;
    return at < list.size() ? list[at].dictionaryPointer() : nullptr;
  };
  if (const Dictionary* d = dictionaryAt(4)) __builtin_prefetch(d);
  if (const Dictionary* d = dictionaryAt(3)) {
    const auto* bytes = reinterpret_cast<const char*>(d->values().data());
    const std::size_t size = d->values().size() * sizeof(Value);
    for (std::size_t line = 0; line < size; line += 64) __builtin_prefetch(bytes + line);
  }
  if (const Dictionary* d = dictionaryAt(2))
    for (const Value& v : d->values())
      if (const QString* text = v.stringPointer()) __builtin_prefetch(text->constData());
  if (const Dictionary* d = dictionaryAt(1)) {
    containers_.prefetch(reinterpret_cast<quintptr>(d));
    for (const Value& v : d->values()) {
      if (const QString* text = v.stringPointer())
        textIds_.prefetch(static_cast<quint32>(textHash(*text)));
      else if (v.type() == Value::Type::Date)
        dates_.prefetch(std::bit_cast<quint64>(v.toDate().sinceReferenceDate));
    }
  }
}

quint64 KeyedArchiver::textEntry(BinaryPropertyListObjectTable& table, quint32 text) {
  if (textEntries_[text] == 0)
    textEntries_[text] = table.addDistinctString(texts_[text], asciiTexts_[text] != 0);
  return textEntries_[text];
}

quint64 KeyedArchiver::key(BinaryPropertyListObjectTable& table, Key which) {
  return textEntry(table, keyTexts_[static_cast<std::size_t>(which)]);
}

void KeyedArchiver::fill(BinaryPropertyListObjectTable& table, quint32 top) {
  // The table's own strings share entries with equal archived ones.
  for (std::size_t k = 0; k < keyTexts_.size(); ++k)
    keyTexts_[k] = internMade(keyText(static_cast<int>(k)));
  const quint32 archiverName = internMade(QStringLiteral("NSKeyedArchiver"));
  for (const auto& chain : kClassChains)
    for (const char* name : chain)
      if (name) internMade(QString::fromLatin1(name));
  textEntries_.assign(texts_.size(), 0);

  // Each object is one entry and, with a class, a dictionary of its fields, its element
  // arrays and their UIDs.
  quint64 references = 10 + objects_.size();
  quint64 reals = 0;
  for (const Object& o : objects_) {
    if (o.shape == Shape::Array)
      references += 4 + o.count;
    else if (o.shape == Shape::Dictionary)
      references += 6 + 2 * quint64{o.count};
    else if (o.shape >= Shape::Null)
      references += 7;
    reals += o.shape == Shape::Real || o.shape == Shape::Date;
  }
  // Besides the archived strings, the table holds only the fixed keys and class chains.
  table.reserve(3 * objects_.size() + 16, references, textEntries_.size(), reals,
                static_cast<quint32>(objects_.size()));
  const quint64 root = table.addDictionary(4);
  table.setReference(root, 0, key(table, Key::Version));
  table.setReference(root, 1, key(table, Key::Archiver));
  table.setReference(root, 2, key(table, Key::Top));
  table.setReference(root, 3, key(table, Key::Objects));
  table.setReference(root, 4, table.addInteger(100000));
  table.setReference(root, 5, textEntry(table, archiverName));
  const quint64 topEntry = table.addDictionary(1);
  table.setReference(root, 6, topEntry);
  table.setReference(topEntry, 0, key(table, Key::Root));
  table.setReference(topEntry, 1, table.addUid(top));
  const quint64 objects = table.addArray(objects_.size());
  table.setReference(root, 7, objects);
  for (std::size_t i = 0; i < objects_.size(); ++i)
    table.setReference(objects, i, writeObject(table, objects_[i]));
}

quint64 KeyedArchiver::writeObject(BinaryPropertyListObjectTable& table, const Object& object) {
  // An object of a class: a dictionary of its fields with "$class" last. Keys are added
  // before values, as the writer visits them.
  auto classed = [&](std::initializer_list<Key> keys, auto addValues) {
    const quint64 d = table.addDictionary(keys.size() + 1);
    quint64 position = 0;
    for (Key k : keys) table.setReference(d, position++, key(table, k));
    table.setReference(d, position++, key(table, Key::Class));
    addValues([&](quint64 entry) { table.setReference(d, position++, entry); });
    table.setReference(d, position, table.addUid(object.classUid));
    return d;
  };
  auto uidArray = [&](std::size_t first, std::size_t n) {
    const quint64 a = table.addArray(n);
    for (std::size_t i = 0; i < n; ++i)
      table.setReference(a, i, table.addUid(elementUids_[first + i]));
    return a;
  };

  switch (object.shape) {
    case Shape::String:
      return textEntry(table, static_cast<quint32>(object.bits));
    case Shape::Data:
      return table.addData(data_[object.bits]);
    case Shape::Integer:
      return table.addInteger(static_cast<qint64>(object.bits));
    case Shape::Unsigned:
      return table.addInteger(static_cast<qint64>(object.bits),
                              object.bits > static_cast<quint64>(INT64_MAX));
    case Shape::Real:
      return table.addReal(std::bit_cast<double>(object.bits));
    case Shape::Boolean:
      return table.addBoolean(object.bits != 0);
    case Shape::Null:
      return classed({}, [](auto) {});
    case Shape::Date:
      return classed({Key::NsTime},
                     [&](auto put) { put(table.addReal(std::bit_cast<double>(object.bits))); });
    case Shape::MutableString:
      return classed({Key::NsString},
                     [&](auto put) { put(textEntry(table, static_cast<quint32>(object.bits))); });
    case Shape::MutableData:
      return classed({Key::NsData}, [&](auto put) { put(table.addData(data_[object.bits])); });
    case Shape::RectValue:
      return classed({Key::NsRectval, Key::NsSpecial}, [&](auto put) {
        put(table.addUid(static_cast<quint32>(object.bits)));
        put(table.addInteger(3));
      });
    case Shape::Array:
      return classed({Key::NsObjects}, [&](auto put) { put(uidArray(object.bits, object.count)); });
    case Shape::Dictionary:
      return classed({Key::NsKeys, Key::NsObjects}, [&](auto put) {
        put(uidArray(object.bits, object.count));
        put(uidArray(object.bits + object.count, object.count));
      });
    case Shape::ClassRecord: {
      // A class record has no class of its own: its class chain, then its name.
      const auto& chain = kClassChains[object.bits];
      const auto length = static_cast<quint64>(chain[2] ? 3 : 2);
      const quint64 d = table.addDictionary(2);
      table.setReference(d, 0, key(table, Key::Classes));
      table.setReference(d, 1, key(table, Key::ClassName));
      const quint64 a = table.addArray(length);
      table.setReference(d, 2, a);
      for (quint64 i = 0; i < length; ++i)
        table.setReference(a, i, textEntry(table, internMade(QString::fromLatin1(chain[i]))));
      table.setReference(d, 3, textEntry(table, internMade(QString::fromLatin1(chain[0]))));
      return d;
    }
  }
  return table.addNull();
}
