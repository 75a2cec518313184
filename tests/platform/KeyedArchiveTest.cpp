#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <cmath>
#include <limits>

#include "ArchiveTestSupport.h"
#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/archive/BinaryPropertyListReader.h"
#include "platform/archive/BinaryPropertyListWriter.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

namespace {
using P = PropertyListObject;

DictRef dict(const std::vector<std::pair<QString, Value>>& entries, bool isMutable = true) {
  auto d = Dictionary::create(isMutable);
  for (const auto& [k, v] : entries) d->setValue(k, v);
  return d;
}

Value roundTrip(const Value& v) {
  auto archive = KeyedArchiver::archivedDataWithRootObject(v);
  EXPECT_TRUE(archive) << archive.error().toStdString();
  if (!archive) return {};
  auto back = KeyedUnarchiver::unarchiveObjectWithData(archive.value());
  EXPECT_TRUE(back) << back.error().toStdString();
  return back ? back.value() : Value();
}

// The $objects of an archive our archiver wrote.
std::vector<PropertyListRef> objectsOf(const QByteArray& archive) {
  auto plist = BinaryPropertyListReader::read(archive);
  EXPECT_TRUE(plist) << plist.error().toStdString();
  if (!plist) return {};
  return plist.value()->valueForKey(u"$objects")->items();
}

QString classNameOf(const std::vector<PropertyListRef>& objects, const P& object) {
  const auto* cls = object.valueForKey(u"$class");
  if (!cls) return {};
  return objects[cls->uidValue()]->valueForKey(u"$classname")->stringValue();
}

TEST(KeyedArchiver, RoundTripsNestedValuesOfEveryKind) {
  auto shared = dict({{QStringLiteral("shared"), Value(QStringLiteral("yes"))}});
  auto record = dict({
      {QStringLiteral("title"), Value(QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x94\x91"))},
      {QStringLiteral("notes"), Value::mutableString(QStringLiteral("editable"))},
      {QStringLiteral("count"), Value::integer(-42)},
      {QStringLiteral("big"), Value::integer(std::numeric_limits<qint64>::max())},
      {QStringLiteral("huge"), Value::unsignedInteger(std::numeric_limits<quint64>::max())},
      {QStringLiteral("ratio"), Value::real(0.1)},
      {QStringLiteral("whole double"), Value::real(5.0)},
      {QStringLiteral("five"), Value::integer(5)},
      {QStringLiteral("flag"), Value::boolean(true)},
      {QStringLiteral("off"), Value::boolean(false)},
      {QStringLiteral("created"), Value(Date{-13197600000.5})},
      {QStringLiteral("blob"), Value::data(QByteArray("\x00\xff", 2))},
      {QStringLiteral("buffer"), Value::data(QByteArray("mutable"), true)},
      {QStringLiteral("frame"), Value(Rect{400, 300, 200.25, -1e-7})},
      {QStringLiteral("nothing"), Value::null()},
      {QStringLiteral("empty"), Value(QString())},
      {QStringLiteral("list"),
       Value(Array::create({Value(shared), Value(shared), Value(Array::create({}, false))}))},
      {QStringLiteral("fixed"), Value(dict({}, false))},
  });
  const Value original(record);
  const Value back = roundTrip(original);
  EXPECT_TRUE(back == original) << back.debugDescription().toStdString();

  // Types and mutability survive, which plain equality does not show.
  const Dictionary& d = *back.dictionaryPointer();
  EXPECT_TRUE(d.isMutable());
  EXPECT_TRUE(d.value(u"notes").isMutable());
  EXPECT_FALSE(d.value(u"title").isMutable());
  EXPECT_EQ(d.value(u"whole double").type(), Value::Type::Double);
  EXPECT_EQ(d.value(u"five").type(), Value::Type::Integer);
  EXPECT_EQ(d.value(u"flag").type(), Value::Type::Boolean);
  EXPECT_EQ(d.value(u"huge").type(), Value::Type::Unsigned);
  EXPECT_TRUE(d.value(u"buffer").isMutable());
  EXPECT_FALSE(d.value(u"blob").isMutable());
  EXPECT_FALSE(d.value(u"fixed").toDictionary()->isMutable());
  const ArrayRef list = d.value(u"list").toArray();
  EXPECT_TRUE(list->isMutable());
  EXPECT_FALSE(list->at(2).toArray()->isMutable());
  // The very same dictionary twice stays one object.
  EXPECT_TRUE(list->at(0).isSameObject(list->at(1)));
}

TEST(KeyedArchiver, WritesWhatTheGeneralWriterMakesOfTheSameObjects) {
  // Values that collide with the archive's own keys, class names and numbers, so the sharing
  // of equal objects across the whole file shows; over 256 objects, so references take two
  // bytes.
  auto shared = dict({{QStringLiteral("NS.keys"), Value(QStringLiteral("$class"))}}, false);
  auto records = Array::create();
  for (int i = 0; i < 60; ++i) {
    records->append(Value(dict(
        {
            {QStringLiteral("NS.objects"), Value(QStringLiteral("NSObject"))},
            {QStringLiteral("archiver"), Value(QStringLiteral("NSKeyedArchiver"))},
            {QStringLiteral("text"), Value::mutableString(QStringLiteral("NSMutableString"))},
            {QStringLiteral("same text"), Value(QStringLiteral("item %1").arg(i % 7))},
            {QStringLiteral("edited"), Value::mutableString(QStringLiteral("item %1").arg(i % 7))},
            {QStringLiteral("version"), Value::integer(100000)},
            {QStringLiteral("special"), Value::integer(3)},
            {QStringLiteral("huge"), Value::unsignedInteger(std::numeric_limits<quint64>::max())},
            {QStringLiteral("time"), Value::real(700000000.0 + i % 3)},
            {QStringLiteral("when"), Value(Date{700000000.0 + i % 5})},
            {QStringLiteral("flag"), Value::boolean(i % 2 == 0)},
            {QStringLiteral("bytes"), Value::data(QByteArray(i % 4, 'b'), i % 3 == 0)},
            {QStringLiteral("frame"), Value(Rect{double(i % 2), 0, 1, 1})},
            {QStringLiteral("nothing"), Value::null()},
            {QStringLiteral("shared"), Value(shared)},
            {QStringLiteral("list"),
             Value(Array::create({Value(shared), Value(QString())}, false))},
        },
        i % 5 != 0)));
  }
  auto archive = KeyedArchiver::archivedDataWithRootObject(Value(records));
  ASSERT_TRUE(archive) << archive.error().toStdString();
  auto plist = BinaryPropertyListReader::read(archive.value());
  ASSERT_TRUE(plist) << plist.error().toStdString();
  EXPECT_EQ(static_cast<unsigned char>(archive.value()[archive.value().size() - 25]), 2)
      << "two-byte references";
  EXPECT_TRUE(BinaryPropertyListWriter::write(*plist.value()) == archive.value());
  EXPECT_TRUE(roundTrip(Value(records)) == Value(records));
}

// Many records sharing their keys (by the very same strings, by equal copies and by raw
// data), repeated and unique strings, mutable strings equal to immutable ones and to the
// archive's own names, data equal in separate buffers or differing only in the middle,
// repeated numbers and dates, shared containers: over 65536 entries, so references take
// four bytes.
Value largeVariedValue() {
  static const char16_t kRawKey[] = u"raw key";
  const QString keys[] = {QStringLiteral("name"), QStringLiteral("note"), QStringLiteral("url"),
                          QStringLiteral("count"), QStringLiteral("when")};
  auto shared = dict({{QStringLiteral("$class"), Value(QStringLiteral("NSObject"))}}, false);
  auto sharedList = Array::create({Value(shared), Value::integer(-1)}, false);
  QByteArray big(70000, 'x');
  QByteArray middle = big;
  middle[35000] = 'y';
  auto records = Array::create();
  for (int i = 0; i < 12000; ++i) {
    auto r = Dictionary::create(i % 11 != 0);
    r->setValue(keys[0], QStringLiteral("Record number %1").arg(i));
    r->setValue(keys[1], QStringLiteral("note %1").arg(i % 97));
    r->setValue(keys[2],
                QString::fromUtf8("https://caf\xc3\xa9%1.example/\xf0\x9f\x94\x91").arg(i % 13));
    r->setValue(keys[3], Value::integer(i % 300 - 20));
    r->setValue(keys[4], Value(Date{700000000.0 + i % 50}));
    r->setValue(QStringLiteral("url"), QStringLiteral("replaced %1").arg(i % 3));
    r->setValue(QString::fromRawData(reinterpret_cast<const QChar*>(kRawKey), 7),
                Value::mutableString(QStringLiteral("note %1").arg(i % 89)));
    r->setValue(QString::fromRawData(reinterpret_cast<const QChar*>(kRawKey), 3),
                Value(QStringLiteral("raw")));
    switch (i % 8) {
      case 0:
        r->setValue(QStringLiteral("archiver"),
                    Value::mutableString(QStringLiteral("NSKeyedArchiver")));
        r->setValue(QStringLiteral("key"), Value(QStringLiteral("NS.keys")));
        break;
      case 1:
        r->setValue(QStringLiteral("data"), Value::data(QByteArray(i % 5, char(i % 3))));
        r->setValue(QStringLiteral("mutable data"),
                    Value::data(QByteArray(i % 5, char(i % 3)), true));
        break;
      case 2:
        r->setValue(QStringLiteral("big"),
                    Value::data(i % 3 ? QByteArray(big.constData(), big.size()) : middle));
        break;
      case 3:
        r->setValue(QStringLiteral("real"), Value::real(700000000.0 + i % 7));
        r->setValue(QStringLiteral("huge"), Value::unsignedInteger(~quint64(0) - i % 2));
        r->setValue(QStringLiteral("wide"), Value::integer(qint64(1) << (i % 40)));
        break;
      case 4:
        r->setValue(QStringLiteral("frame"), Value(Rect{double(i % 4), 0.5, 1, 1}));
        r->setValue(QStringLiteral("frame text"), Value(QStringLiteral("{{1, 0.5}, {1, 1}}")));
        break;
      case 5:
        r->setValue(QStringLiteral("shared"), Value(shared));
        r->setValue(QStringLiteral("list"), Value(sharedList));
        r->setValue(QStringLiteral("flag"), Value::boolean(i % 3 == 0));
        break;
      case 6:
        r->setValue(QStringLiteral("nothing"), Value::null());
        r->setValue(QStringLiteral("empty"), Value(QString()));
        r->setValue(QStringLiteral("empty mutable"), Value::mutableString(QString()));
        break;
      default:
        r->setValue(QStringLiteral("nested"),
                    Value(Array::create({Value(QStringLiteral("note %1").arg(i % 97)),
                                         Value(dict({{keys[0], Value::real(0.1)}}))})));
        break;
    }
    records->append(Value(r));
  }
  return Value(records);
}

TEST(KeyedArchiver, ArchivesALargeVariedValueAsItAlwaysHas) {
  const Value value = largeVariedValue();
  auto archive = KeyedArchiver::archivedDataWithRootObject(value);
  ASSERT_TRUE(archive) << archive.error().toStdString();
  const QByteArray& bytes = archive.value();
  EXPECT_EQ(static_cast<unsigned char>(bytes[bytes.size() - 25]), 4) << "four-byte references";
  EXPECT_EQ(bytes.size(), qsizetype{2884055});
  EXPECT_EQ(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString(),
            "435d9eda5d502d92f24b417da8f0af12bb9b53e6c52e95eaaa1be92e92093023");

  auto plist = BinaryPropertyListReader::read(bytes);
  ASSERT_TRUE(plist) << plist.error().toStdString();
  EXPECT_TRUE(BinaryPropertyListWriter::write(*plist.value()) == bytes);
  EXPECT_TRUE(roundTrip(value) == value);
}

// Pieces are the archive's bytes in order, with the data values that are large enough each
// written from its own buffer; equal data stays one object, so one piece.
TEST(KeyedArchiver, ArchivesInPiecesTheSameBytesWithLargeDataUncopied) {
  constexpr qsizetype kApart = 1000;
  const QByteArray big(5000, 'b'), other(kApart, 'o'), small(kApart - 1, 's');
  const QByteArray bigTwin = QByteArray(big.constData(), big.size());  // equal, own buffer
  struct Case {
    const char* name;
    Value root;
    std::vector<const QByteArray*> apart;  // the buffers written as they are, in order
  };
  const Case cases[] = {
      {"no data", Value(dict({{QStringLiteral("a"), Value(QStringLiteral("text"))}})), {}},
      {"data below the size", Value(dict({{QStringLiteral("a"), Value::data(small)}})), {}},
      {"a large root", Value::data(big), {&big}},
      {"large and small among others",
       Value(dict({{QStringLiteral("s"), Value::data(small)},
                   {QStringLiteral("b"), Value::data(big, true)},
                   {QStringLiteral("n"), Value::integer(3)},
                   {QStringLiteral("o"), Value::data(other)}})),
       {&big, &other}},
      {"equal large data twice",
       Value(dict(
           {{QStringLiteral("b"), Value::data(big)}, {QStringLiteral("t"), Value::data(bigTwin)}})),
       {&big}},
  };
  for (const Case& c : cases) {
    auto pieces = KeyedArchiver::archivedPiecesWithRootObject(c.root, kApart);
    ASSERT_TRUE(pieces) << c.name;
    EXPECT_EQ(pieces.value().join(), KeyedArchiver::archivedDataWithRootObject(c.root).value())
        << c.name;
    ASSERT_EQ(pieces.value().size(), static_cast<qsizetype>(2 * c.apart.size() + 1)) << c.name;
    for (std::size_t i = 0; i < c.apart.size(); ++i)
      EXPECT_EQ(pieces.value()[static_cast<qsizetype>(2 * i + 1)].constData(),
                c.apart[i]->constData())
          << c.name << ": piece " << i << " is a copy";
  }
  EXPECT_FALSE(KeyedArchiver::archivedPiecesWithRootObject(Value(), kApart));
}

// A form archives the root list's dictionaries as the copies it stands for would be archived,
// even when it gives texts and containers made on the spot; nested dictionaries keep theirs.
TEST(KeyedArchiver, AnElementFormArchivesAsTheCopiesItStandsFor) {
  class DropSecondAddTag : public KeyedArchiver::ElementForm {
   public:
    const Shape* shapeOf(const Dictionary& element, Value& given) override {
      given = Value(QStringLiteral("tag %1").arg(++made_));
      if (element.count() < 2) return nullptr;
      shape_.keys = std::make_shared<const DictionaryKeys>(
          std::vector<QString>{element.keyAt(0), QStringLiteral("tag")});
      shape_.sources = {0, kGiven};
      return &shape_;
    }

   private:
    Shape shape_;
    int made_ = 0;
  };
  auto nested = Dictionary::create();
  nested->setValue(QStringLiteral("x"), QStringLiteral("inner"));
  nested->setValue(QStringLiteral("y"), QStringLiteral("kept"));
  auto held = Array::create();
  auto copies = Array::create();
  for (int i = 0; i < 3; ++i) {
    auto element = Dictionary::create();
    element->setValue(QStringLiteral("a"), i == 1 ? Value(nested) : Value::integer(i));
    element->setValue(QStringLiteral("b"), QStringLiteral("dropped"));
    held->append(Value(element));
    auto copy = Dictionary::create();
    copy->setValue(QStringLiteral("a"), element->value(QStringLiteral("a")));
    copy->setValue(QStringLiteral("tag"), QStringLiteral("tag %1").arg(i + 1));
    copies->append(Value(copy));
  }
  auto lone = Dictionary::create();
  lone->setValue(QStringLiteral("only"), Value::integer(7));
  held->append(Value(lone));
  copies->append(Value(lone));

  DropSecondAddTag form;
  EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(Value(held), &form).value(),
            KeyedArchiver::archivedDataWithRootObject(Value(copies)).value());
}

TEST(KeyedArchiver, RoundTripsScalarRoots) {
  const Value roots[] = {Value(QStringLiteral("x")),
                         Value::integer(0),
                         Value::real(-0.5),
                         Value(Date{0}),
                         Value::data({}),
                         Value(Rect{}),
                         Value::null(),
                         Value(Array::create())};
  for (const Value& v : roots) {
    const Value back = roundTrip(v);
    EXPECT_TRUE(back == v) << v.debugDescription().toStdString();
  }
}

TEST(KeyedArchiver, ArchivesTheWorkedExampleWithItsLayout) {
  auto archive = KeyedArchiver::archivedDataWithRootObject(Value(dict(
      {{QStringLiteral("a"), Value(QStringLiteral("x"))}, {QStringLiteral("n"), Value::integer(5)}},
      false)));
  ASSERT_TRUE(archive);
  auto plist = BinaryPropertyListReader::read(archive.value());
  ASSERT_TRUE(plist);
  const P& root = *plist.value();
  EXPECT_EQ(root.valueForKey(u"$archiver")->stringValue(), QStringLiteral("NSKeyedArchiver"));
  EXPECT_EQ(root.valueForKey(u"$version")->integerValue(), 100000);
  EXPECT_EQ(root.valueForKey(u"$top")->valueForKey(u"root")->uidValue(), 1u);

  auto uids = [](const std::vector<quint32>& v) {
    std::vector<PropertyListRef> out;
    out.reserve(v.size());
    for (quint32 u : v) out.push_back(P::uid(u));
    return P::array(std::move(out));
  };
  const std::vector<PropertyListRef> expected = {
      P::string(QStringLiteral("$null")),
      P::dictionary(
          {QStringLiteral("NS.keys"), QStringLiteral("NS.objects"), QStringLiteral("$class")},
          {uids({2, 3}), uids({4, 5}), P::uid(6)}),
      P::string(QStringLiteral("a")),
      P::string(QStringLiteral("n")),
      P::string(QStringLiteral("x")),
      P::integer(5),
      P::dictionary({QStringLiteral("$classes"), QStringLiteral("$classname")},
                    {P::array({P::string(QStringLiteral("NSDictionary")),
                               P::string(QStringLiteral("NSObject"))}),
                     P::string(QStringLiteral("NSDictionary"))}),
  };
  const auto& objects = root.valueForKey(u"$objects")->items();
  ASSERT_EQ(objects.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(*objects[i] == *expected[i]) << "object " << i;
}

TEST(KeyedArchiver, WritesTheClassNamesOfTheMacEditions) {
  struct Case {
    Value value;
    const char* className;
    std::vector<const char*> chain;
  };
  const Case cases[] = {
      {Value(Dictionary::create(true)),
       "NSMutableDictionary",
       {"NSMutableDictionary", "NSDictionary", "NSObject"}},
      {Value(Dictionary::create(false)), "NSDictionary", {"NSDictionary", "NSObject"}},
      {Value(Array::create(true)), "NSMutableArray", {"NSMutableArray", "NSArray", "NSObject"}},
      {Value(Array::create(false)), "NSArray", {"NSArray", "NSObject"}},
      {Value::mutableString(QStringLiteral("s")),
       "NSMutableString",
       {"NSMutableString", "NSString", "NSObject"}},
      {Value::data("d", true), "NSMutableData", {"NSMutableData", "NSData", "NSObject"}},
      {Value(Date{1.5}), "NSDate", {"NSDate", "NSObject"}},
      {Value(Rect{1, 2, 3, 4}), "NSValue", {"NSValue", "NSObject"}},
      {Value::null(), "NSNull", {"NSNull", "NSObject"}},
  };
  for (const auto& c : cases) {
    auto archive = KeyedArchiver::archivedDataWithRootObject(c.value);
    ASSERT_TRUE(archive);
    const auto objects = objectsOf(archive.value());
    ASSERT_GE(objects.size(), 3u);
    EXPECT_EQ(classNameOf(objects, *objects[1]), QLatin1String(c.className));
    const auto& record = *objects[objects[1]->valueForKey(u"$class")->uidValue()];
    std::vector<PropertyListRef> chain;
    for (const char* name : c.chain) chain.push_back(P::string(QLatin1String(name)));
    EXPECT_TRUE(*record.valueForKey(u"$classes") == *P::array(chain)) << c.className;
  }
}

TEST(KeyedArchiver, WritesDatesAndRectanglesInTheirObjectForms) {
  auto archive = KeyedArchiver::archivedDataWithRootObject(Value(Array::create(
      {Value(Date{-1.5}), Value(Rect{400, 300, 200, 300}), Value(Rect{0.5, -2, 1e21, 0.1})})));
  ASSERT_TRUE(archive);
  const auto objects = objectsOf(archive.value());
  const auto& items = objects[1]->valueForKey(u"NS.objects")->items();
  const P& date = *objects[items[0]->uidValue()];
  EXPECT_EQ(date.valueForKey(u"NS.time")->kind(), P::Kind::Real);
  EXPECT_EQ(date.valueForKey(u"NS.time")->realValue(), -1.5);
  const QString texts[] = {QStringLiteral("{{400, 300}, {200, 300}}"),
                           QStringLiteral("{{0.5, -2}, {1e+21, 0.1}}")};
  for (int i = 0; i < 2; ++i) {
    const P& rect = *objects[items[static_cast<std::size_t>(i + 1)]->uidValue()];
    EXPECT_EQ(rect.valueForKey(u"NS.special")->integerValue(), 3);
    EXPECT_EQ(objects[rect.valueForKey(u"NS.rectval")->uidValue()]->stringValue(), texts[i]);
  }
}

TEST(KeyedArchiver, RefusesWhatCannotBeArchived) {
  auto loop = Dictionary::create();
  loop->setValue(QStringLiteral("self"), Value(Array::create({Value(loop)})));
  Value deep(Array::create());
  for (int i = 0; i < 600; ++i) deep = Value(Array::create({deep}));
  struct Case {
    const char* name;
    Value value;
    const char* expect;
  };
  const Case cases[] = {
      {"absent root", Value(), "absent"},
      {"absent element", Value(Array::create({Value()})), "absent"},
      {"container holding itself", Value(loop), "contains itself"},
      {"non-finite rectangle", Value(Rect{0, 0, std::nan(""), 1}), "non-finite"},
      {"nesting too deep", deep, "deeper"},
  };
  for (const auto& c : cases) {
    auto r = KeyedArchiver::archivedDataWithRootObject(c.value);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect))) << r.error().toStdString();
  }
  loop->removeAll();  // break the cycle the test made
}

// A keyed archive put together by hand from its $objects, for readers' edge cases.
QByteArray archiveOf(std::vector<PropertyListRef> objects, quint32 root = 1,
                     PropertyListRef version = P::integer(100000),
                     QString archiver = QStringLiteral("NSKeyedArchiver")) {
  return BinaryPropertyListWriter::write(*P::dictionary(
      {QStringLiteral("$archiver"), QStringLiteral("$version"), QStringLiteral("$top"),
       QStringLiteral("$objects")},
      {P::string(std::move(archiver)), std::move(version),
       P::dictionary({QStringLiteral("root")}, {P::uid(root)}), P::array(std::move(objects))}));
}

PropertyListRef classRecord(const char* name) {
  return P::dictionary(
      {QStringLiteral("$classname"), QStringLiteral("$classes")},
      {P::string(QLatin1String(name)), P::array({P::string(QLatin1String(name))})});
}

PropertyListRef instance(quint32 cls, std::vector<QString> keys,
                         std::vector<PropertyListRef> values) {
  keys.push_back(QStringLiteral("$class"));
  values.push_back(P::uid(cls));
  return P::dictionary(std::move(keys), std::move(values));
}

TEST(KeyedUnarchiver, ReadsTheFormsOtherWritersUse) {
  struct Case {
    const char* name;
    std::vector<PropertyListRef> objects;
    Value expected;
  };
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  const Case cases[] = {
      {"inline date", {null, P::date(12.5)}, Value(Date{12.5})},
      {"NS.time as an integer",
       {null, instance(2, {QStringLiteral("NS.time")}, {P::integer(-7)}), classRecord("NSDate")},
       Value(Date{-7})},
      {"NS.special as a real, rectangle with exponents",
       {null,
        instance(2, {QStringLiteral("NS.special"), QStringLiteral("NS.rectval")},
                 {P::real(3.0), P::uid(3)}),
        classRecord("NSValue"), P::string(QStringLiteral("{{-1.5e2, +2}, {.5, 3E1}}"))},
       Value(Rect{-150, 2, 0.5, 30})},
      {"mutable string from NS.bytes",
       {null, instance(2, {QStringLiteral("NS.bytes")}, {P::data("caf\xc3\xa9")}),
        classRecord("NSMutableString")},
       Value::mutableString(QString::fromUtf8("caf\xc3\xa9"))},
      {"mutable data from NS.bytes",
       {null, instance(2, {QStringLiteral("NS.bytes")}, {P::data("ab")}),
        classRecord("NSMutableData")},
       Value::data("ab", true)},
      {"shared and separate entries alike",
       {null,
        instance(4, {QStringLiteral("NS.objects")}, {P::array({P::uid(2), P::uid(2), P::uid(3)})}),
        P::string(QStringLiteral("s")), P::string(QStringLiteral("s")), classRecord("NSArray")},
       Value(Array::create(
           {Value(QStringLiteral("s")), Value(QStringLiteral("s")), Value(QStringLiteral("s"))}))},
  };
  for (const auto& c : cases) {
    auto r = KeyedUnarchiver::unarchiveObjectWithData(archiveOf(c.objects));
    ASSERT_TRUE(r) << c.name << ": " << r.error().toStdString();
    EXPECT_TRUE(r.value() == c.expected)
        << c.name << ": " << r.value().debugDescription().toStdString();
    EXPECT_EQ(r.value().isMutable(), c.expected.isMutable()) << c.name;
  }
}

TEST(KeyedUnarchiver, AcceptsAVersionStoredAsARealAndANilRoot) {
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  auto real = KeyedUnarchiver::unarchiveObjectWithData(
      archiveOf({null, P::integer(1)}, 1, P::real(100000.0)));
  ASSERT_TRUE(real) << real.error().toStdString();
  EXPECT_EQ(real.value().toInteger(), 1);
  auto nil = KeyedUnarchiver::unarchiveObjectWithData(archiveOf({null}, 0));
  ASSERT_TRUE(nil) << nil.error().toStdString();
  EXPECT_TRUE(nil.value().isAbsent());
}

TEST(KeyedUnarchiver, RejectsMalformedArchives) {
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  std::vector<PropertyListRef> deep = {null};
  for (quint32 i = 1; i < 600; ++i)
    deep.push_back(instance(600, {QStringLiteral("NS.objects")}, {P::array({P::uid(i + 1)})}));
  deep.push_back(classRecord("NSArray"));
  struct Case {
    const char* name;
    QByteArray bytes;
    const char* expect;
  };
  const Case cases[] = {
      {"not a property list", QByteArray("plain text, not an archive"), "binary property list"},
      {"bad $version", archiveOf({null, P::integer(1)}, 1, P::integer(100001)), "$version"},
      {"$version as a string",
       archiveOf({null, P::integer(1)}, 1, P::string(QStringLiteral("100000"))), "$version"},
      {"other $archiver",
       archiveOf({null, P::integer(1)}, 1, P::integer(100000), QStringLiteral("NSArchiver")),
       "$archiver"},
      {"missing $top",
       BinaryPropertyListWriter::write(*P::dictionary(
           {QStringLiteral("$archiver"), QStringLiteral("$version"), QStringLiteral("$objects")},
           {P::string(QStringLiteral("NSKeyedArchiver")), P::integer(100000), P::array({null})})),
       "$top"},
      {"root UID out of range", archiveOf({null}, 5), "beyond 1 objects"},
      {"element UID out of range",
       archiveOf({null, instance(2, {QStringLiteral("NS.objects")}, {P::array({P::uid(9)})}),
                  classRecord("NSArray")}),
       "beyond 3 objects"},
      {"UID cycle",
       archiveOf({null, instance(3, {QStringLiteral("NS.objects")}, {P::array({P::uid(2)})}),
                  instance(3, {QStringLiteral("NS.objects")}, {P::array({P::uid(1)})}),
                  classRecord("NSMutableArray")}),
       "contains itself"},
      {"depth bomb", archiveOf(deep), "deeper than 512"},
      {"nil in an array",
       archiveOf({null, instance(2, {QStringLiteral("NS.objects")}, {P::array({P::uid(0)})}),
                  classRecord("NSArray")}),
       "nil"},
      {"unsupported class", archiveOf({null, instance(2, {}, {}), classRecord("NSURL")}),
       "unsupported class NSURL"},
      {"$class not a UID",
       archiveOf({null, P::dictionary({QStringLiteral("$class")}, {P::integer(2)})}),
       "$class is not a UID"},
      {"class record without a name", archiveOf({null, instance(2, {}, {}), P::dictionary({}, {})}),
       "no $classname"},
      {"keys and objects of different lengths",
       archiveOf({null,
                  instance(3, {QStringLiteral("NS.keys"), QStringLiteral("NS.objects")},
                           {P::array({P::uid(2)}), P::array({})}),
                  P::string(QStringLiteral("k")), classRecord("NSDictionary")}),
       "one length"},
      {"dictionary key not a string",
       archiveOf({null,
                  instance(3, {QStringLiteral("NS.keys"), QStringLiteral("NS.objects")},
                           {P::array({P::uid(2)}), P::array({P::uid(2)})}),
                  P::integer(4), classRecord("NSDictionary")}),
       "not a string"},
      {"NSValue of a range",
       archiveOf({null, instance(2, {QStringLiteral("NS.special")}, {P::integer(4)}),
                  classRecord("NSValue")}),
       "NSValue kind 4"},
      {"rectangle of three numbers",
       archiveOf({null,
                  instance(2, {QStringLiteral("NS.special"), QStringLiteral("NS.rectval")},
                           {P::integer(3), P::uid(3)}),
                  classRecord("NSValue"), P::string(QStringLiteral("{{1, 2}, {3}}"))}),
       "not a rectangle"},
      {"date without a time", archiveOf({null, instance(2, {}, {}), classRecord("NSDate")}),
       "NS.time"},
      {"a bare UID in $objects", archiveOf({null, P::uid(1)}), "unexpected object kind"},
  };
  for (const auto& c : cases) {
    auto r = KeyedUnarchiver::unarchiveObjectWithData(c.bytes);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect)))
        << c.name << ": " << r.error().toStdString();
  }
}

TEST(KeyedUnarchiver, RefusesDamageInTheObjectsItReaches) {
  const QByteArray archive = KeyedArchiver::archivedDataWithRootObject(
                                 Value(Array::create({Value(QStringLiteral("abcdefg"))})))
                                 .value();
  const qsizetype text = archive.indexOf("abcdefg");
  ASSERT_GT(text, 0);
  struct Case {
    const char* name;
    qsizetype at;
    char byte;
    const char* expect;
  };
  const Case cases[] = {
      {"non-ASCII byte in an element", text + 2, '\x80', "non-ASCII"},
      {"element whose count is not an integer", text - 1, '\x5f', "count is not an integer"},
      {"element of a reserved marker", text - 1, '\x70', "marker 0x70"},
  };
  for (const auto& c : cases) {
    QByteArray bytes = archive;
    bytes[c.at] = c.byte;
    auto r = KeyedUnarchiver::unarchiveObjectWithData(bytes);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String("binary property list")) &&
                r.error().contains(QLatin1String(c.expect)))
        << c.name << ": " << r.error().toStdString();
  }
}

TEST(KeyedUnarchiver, AnObjectReferencedTwiceIsDecodedOnceAndStaysOneObject) {
  // Object i is an array holding object i+1 twice: 2^40 paths through 41 objects.
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  std::vector<PropertyListRef> objects = {null};
  for (quint32 i = 1; i <= 40; ++i)
    objects.push_back(
        instance(42, {QStringLiteral("NS.objects")}, {P::array({P::uid(i + 1), P::uid(i + 1)})}));
  objects.push_back(P::string(QStringLiteral("leaf")));
  objects.push_back(classRecord("NSArray"));
  auto r = KeyedUnarchiver::unarchiveObjectWithData(archiveOf(objects));
  ASSERT_TRUE(r) << r.error().toStdString();
  ArrayRef level = r.value().toArray();
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(level && level->count() == 2) << "level " << i;
    ASSERT_TRUE(level->at(0).isSameObject(level->at(1))) << "level " << i;
    level = level->at(0).toArray();
  }
}

TEST(KeyedUnarchiver, ACycleThroughTheRootIsRefused) {
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  auto r = KeyedUnarchiver::unarchiveObjectWithData(
      archiveOf({null, instance(2, {QStringLiteral("NS.objects")}, {P::array({P::uid(1)})}),
                 classRecord("NSArray")}));
  ASSERT_FALSE(r);
  EXPECT_TRUE(r.error().contains(QLatin1String("contains itself"))) << r.error().toStdString();
}

TEST(KeyedUnarchiver, ListsSharedByManyObjectsCannotMultiplyTheWork) {
  // Object 1 holds objects 3.., each an array whose elements are one shared list of
  // references to object 2.
  const auto archive = [](quint32 holders, int elements) {
    const PropertyListRef shared =
        P::array(std::vector<PropertyListRef>(static_cast<std::size_t>(elements), P::uid(2)));
    const quint32 cls = holders + 3;
    std::vector<PropertyListRef> held;
    std::vector<PropertyListRef> objects = {P::string(QStringLiteral("$null")), nullptr,
                                            P::string(QStringLiteral("s"))};
    for (quint32 i = 0; i < holders; ++i) {
      held.push_back(P::uid(3 + i));
      objects.push_back(instance(cls, {QStringLiteral("NS.objects")}, {shared}));
    }
    objects[1] = instance(cls, {QStringLiteral("NS.objects")}, {P::array(held)});
    objects.push_back(classRecord("NSArray"));
    return archiveOf(objects);
  };
  auto few = KeyedUnarchiver::unarchiveObjectWithData(archive(2, 3000));
  ASSERT_TRUE(few) << few.error().toStdString();
  EXPECT_EQ(few.value().toArray()->at(1).toArray()->count(), 3000);
  auto many = KeyedUnarchiver::unarchiveObjectWithData(archive(300, 3000));
  ASSERT_FALSE(many);
  EXPECT_TRUE(many.error().contains(QLatin1String("more elements than")))
      << many.error().toStdString();
}

TEST(KeyedUnarchiver, ObjectsSharingOneListAreCountedOnceEachNotOnceAWalk) {
  // Objects 3.. hold one shared list of references to object 2; the root holds two of them.
  // Looking through the list once for every object that holds it would take 10^11 steps.
  constexpr quint32 kHolders = 300000;
  constexpr int kElements = 300000;
  const PropertyListRef shared =
      P::array(std::vector<PropertyListRef>(std::size_t(kElements), P::uid(2)));
  const quint32 cls = kHolders + 3;
  std::vector<PropertyListRef> objects = {
      P::string(QStringLiteral("$null")),
      instance(cls, {QStringLiteral("NS.objects")}, {P::array({P::uid(3), P::uid(4)})}),
      P::string(QStringLiteral("s"))};
  for (quint32 i = 0; i < kHolders; ++i)
    objects.push_back(instance(cls, {QStringLiteral("NS.objects")}, {shared}));
  objects.push_back(classRecord("NSArray"));
  auto r = KeyedUnarchiver::unarchiveObjectWithData(archiveOf(objects));
  ASSERT_TRUE(r) << r.error().toStdString();
  const ArrayRef root = r.value().toArray();
  ASSERT_TRUE(root && root->count() == 2);
  for (qsizetype i = 0; i < 2; ++i) {
    const ArrayRef held = root->at(i).toArray();
    ASSERT_TRUE(held && held->count() == kElements) << i;
    EXPECT_EQ(held->at(kElements - 1).toString(), QStringLiteral("s"));
  }
}

TEST(KeyedUnarchiver, DictionariesNamingTheSameKeyObjectsKeepTheirOwnKeysAndValues) {
  const auto key = [](const char* k) { return QString::fromLatin1(k); };
  const auto str = [](const char* s) { return Value(QString::fromLatin1(s)); };
  const auto inner = [&](int b, int c) {
    return Value(dict({{key("b"), Value::integer(b)}, {key("c"), Value::integer(c)}}));
  };
  struct Case {
    const char* name;
    Value value;
  };
  const Case cases[] = {
      {"records of one shape",
       Value(Array::create({Value(dict({{key("name"), str("one")}, {key("pw"), str("1")}})),
                            Value(dict({{key("name"), str("two")}, {key("pw"), str("2")}})),
                            Value(dict({{key("name"), str("three")}, {key("pw"), str("3")}}))}))},
      {"one shape around dictionaries of another",
       Value(Array::create({Value(dict({{key("a"), inner(1, 2)}, {key("d"), Value::integer(3)}})),
                            Value(dict({{key("a"), inner(4, 5)}, {key("d"), Value::integer(6)}})),
                            inner(7, 8)}))},
      {"the same keys in another order",
       Value(Array::create({Value(dict({{key("a"), str("1")}, {key("b"), str("2")}})),
                            Value(dict({{key("b"), str("3")}, {key("a"), str("4")}})),
                            Value(dict({{key("a"), str("5")}, {key("b"), str("6")}}))}))},
  };
  for (const auto& c : cases) {
    const Value back = roundTrip(c.value);
    EXPECT_TRUE(back == c.value) << c.name << ": " << back.debugDescription().toStdString();
    const ArrayRef items = back.toArray();
    ASSERT_TRUE(items) << c.name;
    for (qsizetype i = 0; i < items->count(); ++i)
      EXPECT_EQ(items->at(i).toDictionary()->keys(),
                c.value.toArray()->at(i).toDictionary()->keys())
          << c.name << " item " << i;
  }
}

// The object under uid of a real archive, read as if it were the root.
Result<Value> objectOfFixture(const QByteArray& bytes, quint32 uid) {
  auto plist = BinaryPropertyListReader::read(bytes);
  if (!plist) return Failure{plist.error()};
  return KeyedUnarchiver::unarchiveObjectWithData(
      archiveOf(plist.value()->valueForKey(u"$objects")->items(), uid));
}

// Read from a file's bytes, the run that takes most of them stays in their block, which it
// keeps alive, and reads the same; everything smaller is copied, so that it does not hold the
// block, and the plain reader copies every run.
TEST(KeyedUnarchiver, ReadingSharingDataLeavesTheLargestRunInTheBlock) {
  QByteArray large(200000, Qt::Uninitialized);
  for (qsizetype i = 0; i < large.size(); ++i) large[i] = char(i * 7);
  const Value root(dict({{QStringLiteral("large"), Value::data(large)},
                         {QStringLiteral("small"), Value::data(QByteArray(5000, 's'))},
                         {QStringLiteral("mutable"), Value::data(QByteArray(16, 'm'), true)}}));
  auto archive = KeyedArchiver::archivedDataWithRootObject(root);
  ASSERT_TRUE(archive);
  auto inBlock = [&](const QByteArray& bytes) {
    const char* begin = archive.value().constData();
    return bytes.constData() >= begin && bytes.constData() < begin + archive.value().size();
  };

  auto copied = KeyedUnarchiver::unarchiveObjectWithData(archive.value());
  ASSERT_TRUE(copied);
  EXPECT_FALSE(inBlock(copied.value().dictionaryPointer()->value(u"large").toData()));

  Value shared;
  {
    QByteArray block = archive.value();  // the only holder but for the parts read from it
    archive = QByteArray();
    auto read = KeyedUnarchiver::unarchiveSharingData(block);
    ASSERT_TRUE(read);
    shared = read.value();
    const Dictionary& d = *shared.dictionaryPointer();
    EXPECT_EQ(d.value(u"large").toData().constData(), block.constData() + block.indexOf(large));
    EXPECT_FALSE(d.value(u"small").toData().constData() >= block.constData() &&
                 d.value(u"small").toData().constData() < block.constData() + block.size());
    EXPECT_EQ(d.value(u"mutable").toData(), QByteArray(16, 'm'));
  }
  // The block went with its holder's copy; the part keeps it.
  EXPECT_EQ(shared.dictionaryPointer()->value(u"large").toData(), large);
  EXPECT_EQ(shared.dictionaryPointer()->value(u"small").toData(), QByteArray(5000, 's'));
}

TEST(KeyedArchiveFixtures, ReadsOurKindsInsideRealArchives) {
  const QString folder = fixturePath(QStringLiteral("keyed-archive"));
  if (!QDir(folder).exists()) GTEST_SKIP() << "fixture folder missing: " << folder.toStdString();
  auto attributes = [](const char* font, qint64 size, bool sizeFirst) {
    return sizeFirst ? Value(dict({{QStringLiteral("Size"), Value::integer(size)},
                                   {QStringLiteral("Font"), Value(QString(QLatin1String(font)))}},
                                  false))
                     : Value(dict({{QStringLiteral("Font"), Value(QString(QLatin1String(font)))},
                                   {QStringLiteral("Size"), Value::integer(size)}},
                                  false));
  };
  const Value attributeList(
      Array::create({Value(dict({}, false)), attributes("Helvetica", 123, false),
                     attributes("Times", 456, true), attributes("Times", 456, true)}));
  const QByteArray attributeInfo = hexBytes("010001010402020101030100");
  struct Case {
    const char* file;
    quint32 uid;
    Value expected;
  };
  const Case cases[] = {
      {"NSAttributedString.archive", 3, attributeList},
      {"NSAttributedString.archive", 16, Value::data(attributeInfo, true)},
      {"NSMutableAttributedString.archive", 2, Value::mutableString(QStringLiteral("0123456789"))},
      {"NSMutableAttributedString.archive", 4, attributeList},
      {"NSMutableAttributedString.archive", 17, Value::data(attributeInfo, true)},
      {"DateIntervalFormatter-Default.archive", 15, Value(Date{-13197600000.0})},
      {"NSKeyedUnarchiver-ComplexTest.plist", 6,
       Value(Array::create(
           {Value::null(), Value(QStringLiteral("hello")), Value::integer(34545),
            Value(dict({{QStringLiteral("key"), Value(QStringLiteral("val"))}}, false))},
           false))},
      {"NSIndexPath-ManyIndices.archive", 2, Value::data(hexBytes("04080f10172a"), true)},
      {"NSTextCheckingResult-SimpleRegex.archive", 7, Value::integer(3)},
  };
  for (const auto& c : cases) {
    const auto bytes = readFixture(QStringLiteral("keyed-archive/") + QLatin1String(c.file));
    ASSERT_TRUE(bytes) << c.file;
    auto r = objectOfFixture(*bytes, c.uid);
    ASSERT_TRUE(r) << c.file << " " << c.uid << ": " << r.error().toStdString();
    EXPECT_TRUE(r.value() == c.expected)
        << c.file << " " << c.uid << ": " << r.value().debugDescription().toStdString();
    EXPECT_EQ(r.value().isMutable(), c.expected.isMutable()) << c.file << " " << c.uid;
    if (c.expected.isArray()) {
      EXPECT_EQ(r.value().toArray()->isMutable(), c.expected.toArray()->isMutable()) << c.file;
    }
  }
}

TEST(KeyedArchiveFixtures, TimeZoneDataIsMutableDataInAnUnsupportedOuterClass) {
  QV_FIXTURE_OR_SKIP(bytes, "keyed-archive/DateIntervalFormatter-Default.archive");
  auto tz = objectOfFixture(bytes, 12);
  ASSERT_TRUE(tz) << tz.error().toStdString();
  EXPECT_TRUE(tz.value().isMutable());
  EXPECT_EQ(tz.value().toData().size(), 118);
  EXPECT_TRUE(tz.value().toData().startsWith("TZif2"));
}

TEST(KeyedArchiveFixtures, ClassesOutsideTheModelGiveAClearError) {
  const QString folder = fixturePath(QStringLiteral("keyed-archive"));
  if (!QDir(folder).exists()) GTEST_SKIP() << "fixture folder missing: " << folder.toStdString();
  struct Case {
    const char* file;
    const char* expect;
  };
  const Case cases[] = {
      {"NSAttributedString.archive", "unsupported class NSAttributedString (object 1)"},
      {"NSMutableAttributedString.archive", "unsupported class NSMutableAttributedString"},
      {"DateIntervalFormatter-Default.archive", "unsupported class NSDateIntervalFormatter"},
      {"NSKeyedUnarchiver-ComplexTest.plist", "unsupported class NSURL (object 16)"},
      {"NSSet-Numbers.archive", "unsupported class NSSet"},
      {"NSIndexPath-ManyIndices.archive", "unsupported class NSIndexPath"},
      {"NSTextCheckingResult-SimpleRegex.archive",
       "unsupported class NSSimpleRegularExpressionCheckingResult"},
  };
  for (const auto& c : cases) {
    const auto bytes = readFixture(QStringLiteral("keyed-archive/") + QLatin1String(c.file));
    ASSERT_TRUE(bytes) << c.file;
    auto r = KeyedUnarchiver::unarchiveObjectWithData(*bytes);
    ASSERT_FALSE(r) << c.file;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect))) << r.error().toStdString();
  }
  QV_FIXTURE_OR_SKIP(regex, "keyed-archive/NSTextCheckingResult-SimpleRegex.archive");
  auto range = objectOfFixture(regex, 6);
  ASSERT_FALSE(range);
  EXPECT_TRUE(range.error().contains(QLatin1String("NSValue kind 4")))
      << range.error().toStdString();
}

// The XML twins hold the exact layouts of a rectangle value and an immutable array; the
// same objects in binary form must read as plistlib shows them.
TEST(KeyedArchiveFixtures, ReadsTheLayoutsOfTheXmlTwins) {
  const PropertyListRef null = P::string(QStringLiteral("$null"));
  auto rect = KeyedUnarchiver::unarchiveObjectWithData(archiveOf(
      {null,
       P::dictionary(
           {QStringLiteral("$class"), QStringLiteral("NS.rectval"), QStringLiteral("NS.special")},
           {P::uid(3), P::uid(2), P::integer(3)}),
       P::string(QStringLiteral("{{400, 300}, {200, 300}}")),
       P::dictionary(
           {QStringLiteral("$classes"), QStringLiteral("$classname")},
           {P::array({P::string(QStringLiteral("NSValue")), P::string(QStringLiteral("NSObject"))}),
            P::string(QStringLiteral("NSValue"))})}));
  ASSERT_TRUE(rect) << rect.error().toStdString();
  EXPECT_EQ(rect.value().toRect(), (Rect{400, 300, 200, 300}));

  auto array = KeyedUnarchiver::unarchiveObjectWithData(archiveOf(
      {null,
       P::dictionary({QStringLiteral("$class"), QStringLiteral("NS.objects")},
                     {P::uid(5), P::array({P::uid(2), P::uid(2), P::uid(3), P::uid(4)})}),
       P::string(QStringLiteral("baa")), P::string(QStringLiteral("black")),
       P::string(QStringLiteral("sheep")),
       P::dictionary(
           {QStringLiteral("$classes"), QStringLiteral("$classname")},
           {P::array({P::string(QStringLiteral("NSArray")), P::string(QStringLiteral("NSObject"))}),
            P::string(QStringLiteral("NSArray"))})}));
  ASSERT_TRUE(array) << array.error().toStdString();
  EXPECT_EQ(array.value().debugDescription(),
            QStringLiteral("[\"baa\", \"baa\", \"black\", \"sheep\"]"));
  EXPECT_FALSE(array.value().toArray()->isMutable());
}
}  // namespace
