#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ArchiveTestSupport.h"
#ifdef QV_HEAP_COUNTER
#include "HeapCounter.h"
#endif
#include "platform/archive/ColorUnarchiver.h"
#include "platform/archive/TypedStreamReader.h"

namespace {
// Writes typedstream bytes for tests, in either byte order, tracking the two tables the
// way a writer must so that references come out right.
class TypedStreamBuilder {
 public:
  explicit TypedStreamBuilder(bool bigEndian = false) : bigEndian_(bigEndian) {
    out_.append("\x04\x0b", 2);
    out_.append(bigEndian ? "typedstream" : "streamtyped");
    integer(1000);
  }

  TypedStreamBuilder& integer(qint64 v) {
    if (v >= -110 && v <= 127) {
      out_.append(static_cast<char>(v));
    } else if (v >= -32768 && v <= 32767) {
      out_.append('\x81');
      raw(static_cast<quint64>(v), 2);
    } else {
      out_.append('\x82');
      raw(static_cast<quint64>(v), 4);
    }
    return *this;
  }
  TypedStreamBuilder& real(float f) {
    if (f == std::floor(f) && std::fabs(f) < 100) return integer(static_cast<qint64>(f));
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    out_.append('\x83');
    raw(bits, 4);
    return *this;
  }
  TypedStreamBuilder& shared(const QByteArray& s) {
    for (std::size_t i = 0; i < strings_.size(); ++i)
      if (strings_[i] == s) return integer(static_cast<qint64>(i) - 110);
    strings_.push_back(s);
    out_.append('\x84');
    integer(s.size());
    out_.append(s);
    return *this;
  }
  // A new object of a class chain such as {"NSColor", "NSObject"}; classes already written are
  // referenced.
  TypedStreamBuilder& beginObject(const std::vector<std::pair<QByteArray, int>>& chain) {
    out_.append('\x84');
    ++entries_;
    for (const auto& [name, version] : chain) {
      if (auto it = classes_.find(name); it != classes_.end()) {
        integer(it->second - 110);
        return *this;
      }
      out_.append('\x84');
      shared(name);
      integer(version);
      classes_[name] = entries_++;
    }
    out_.append('\x85');
    return *this;
  }
  TypedStreamBuilder& endObject() { return byte(0x86); }
  // The number the next new object, class or C string takes.
  int nextEntry() const { return entries_; }
  TypedStreamBuilder& reference(int entry) { return integer(entry - 110); }
  // A C string value: new the first time, then referenced.
  TypedStreamBuilder& cString(const QByteArray& s) {
    if (auto it = cStrings_.find(s); it != cStrings_.end()) return reference(it->second);
    out_.append('\x84');
    shared(s);
    cStrings_[s] = entries_++;
    return *this;
  }
  TypedStreamBuilder& byte(int b) {
    out_.append(static_cast<char>(b));
    return *this;
  }
  TypedStreamBuilder& string(const QByteArray& utf8) {
    beginObject({{"NSString", 1}, {"NSObject", 0}});
    shared("+");
    integer(utf8.size());
    out_.append(utf8);
    return endObject();
  }
  TypedStreamBuilder& color(int space, const std::vector<float>& components) {
    beginObject({{"NSColor", 0}, {"NSObject", 0}});
    shared("c");
    byte(space);
    if (!components.empty()) shared(QByteArray(static_cast<qsizetype>(components.size()), 'f'));
    for (float f : components) real(f);
    return endObject();
  }
  QByteArray bytes() const { return out_; }

 private:
  void raw(quint64 v, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (bigEndian_ ? width - 1 - i : i);
      out_.append(static_cast<char>((v >> shift) & 0xFF));
    }
  }

  bool bigEndian_;
  QByteArray out_;
  std::vector<QByteArray> strings_;
  std::map<QByteArray, int> classes_;
  std::map<QByteArray, int> cStrings_;
  int entries_ = 0;
};

// What an application archives as its document: a dictionary of many small dictionaries of
// short strings and numbers, each with a short list of numbers, the keys written once and
// then referenced, as NSArchiver writes NSDictionary, NSArray, NSString and NSNumber. Its
// titles take titleLength bytes or more.
QByteArray documentOfSmallObjects(int records, int titleLength) {
  TypedStreamBuilder b;
  const std::vector<std::pair<QByteArray, int>> dictionary = {
      {"NSMutableDictionary", 0}, {"NSDictionary", 0}, {"NSObject", 0}};
  const std::vector<std::pair<QByteArray, int>> array = {
      {"NSMutableArray", 0}, {"NSArray", 0}, {"NSObject", 0}};
  const std::vector<std::pair<QByteArray, int>> number = {
      {"NSNumber", 0}, {"NSValue", 0}, {"NSObject", 0}};
  std::map<QByteArray, int> keys;
  auto string = [&](const QByteArray& utf8) {
    const int entry = b.nextEntry();
    b.string(utf8);
    return entry;
  };
  auto key = [&](const QByteArray& name) {
    b.shared("@");
    if (auto it = keys.find(name); it != keys.end())
      b.reference(it->second);
    else
      keys[name] = string(name);
  };
  auto integer = [&](qint64 v) {
    b.shared("@").beginObject(number).shared("*").cString("q").shared("q").integer(v).endObject();
  };
  b.shared("@").beginObject(dictionary).shared("i").integer(records);
  for (int r = 0; r < records; ++r) {
    key("record " + QByteArray::number(r));
    b.shared("@").beginObject(dictionary).shared("i").integer(6);
    key("title");
    b.shared("@");
    string(("Item " + QByteArray::number(r)).leftJustified(titleLength, '.'));
    key("kind");
    b.shared("@");
    string(r % 2 ? "note" : "login");
    key("count");
    integer(r % 50);
    key("modified");
    integer(700000000 + r);
    key("tags");
    b.shared("@").beginObject(array).shared("i").integer(3);
    for (int t = 0; t < 3; ++t) integer(t + r % 7);
    b.endObject();
    key("flag");
    b.shared("@");
    string(r % 3 ? "yes" : "no");
    b.endObject();
  }
  b.endObject();
  return b.bytes();
}

// Calibrated RGB 1, 0.5, 0, 1 as a root object (63 bytes), and its big-endian twin.
TEST(ColorUnarchiver, DecodesTheReferenceColourInBothByteOrders) {
  const QByteArray little = hexBytes(
      "040b73747265616d747970656481e80384014084"
      "84840 74e53436f6c6f7200848408 4e534f626a65637400 85"
      "84016301 8404666666660183 0000003f 0001 86");
  EXPECT_EQ(little.size(), 63);
  QByteArray big = little;
  big.replace(2, 11, "typedstream");
  big.replace(13, 3, hexBytes("8103e8"));
  big.replace(little.indexOf(hexBytes("830000003f")), 5, hexBytes("833f000000"));
  for (const QByteArray& bytes : {little, big}) {
    auto r = ColorUnarchiver::unarchiveObjectWithData(bytes);
    ASSERT_TRUE(r) << r.error().toStdString();
    EXPECT_EQ(r.value().color, Color::calibratedRGB(1.0f, 0.5f, 0.0f, 1.0f));
    EXPECT_TRUE(r.value().colorName.isEmpty());
  }
  auto stream = TypedStreamReader::read(big);
  ASSERT_TRUE(stream);
  EXPECT_TRUE(stream.value().bigEndian);
  EXPECT_EQ(stream.value().systemVersion, 1000);
}

TEST(ColorUnarchiver, DecodesEveryColourSpace) {
  struct Case {
    const char* name;
    int space;
    std::vector<float> components;
    Color expected;
  };
  const Case cases[] = {
      {"calibrated RGB", 1, {0.25f, 0.5f, 0.75f, 1}, Color::calibratedRGB(0.25f, 0.5f, 0.75f, 1)},
      {"device RGB", 2, {0.25f, 0.5f, 0.75f, 0.5f}, Color::deviceRGB(0.25f, 0.5f, 0.75f, 0.5f)},
      {"calibrated white", 3, {0.25f, 1}, Color::calibratedWhite(0.25f, 1)},
      {"device white", 4, {0.75f, 0.5f}, Color::deviceWhite(0.75f, 0.5f)},
      {"device CMYK", 5, {0.1f, 0.2f, 0.3f, 0.4f, 1}, Color::deviceCMYK(0.1f, 0.2f, 0.3f, 0.4f, 1)},
      {"components clamped", 1, {1.5f, -0.5f, 0.5f, 2}, Color::calibratedRGB(1, 0, 0.5f, 1)},
  };
  for (const auto& c : cases) {
    for (bool bigEndian : {false, true}) {
      TypedStreamBuilder b(bigEndian);
      b.shared("@").color(c.space, c.components);
      auto r = ColorUnarchiver::unarchiveObjectWithData(b.bytes());
      ASSERT_TRUE(r) << c.name << ": " << r.error().toStdString();
      EXPECT_EQ(r.value().color, c.expected) << c.name << (bigEndian ? " big-endian" : "");
    }
  }
}

TEST(ColorUnarchiver, ResolvesACatalogueColourWithItsNames) {
  TypedStreamBuilder b;
  b.shared("@").beginObject({{"NSColor", 0}, {"NSObject", 0}}).shared("c").byte(6);
  b.shared("@@@").string("System").string("controlColor").color(3, {0.5f, 1});
  b.endObject();
  auto r = ColorUnarchiver::unarchiveObjectWithData(b.bytes());
  ASSERT_TRUE(r) << r.error().toStdString();
  EXPECT_EQ(r.value().catalogName, QStringLiteral("System"));
  EXPECT_EQ(r.value().colorName, QStringLiteral("controlColor"));
  EXPECT_EQ(r.value().color, Color::calibratedWhite(0.5f, 1));
}

TEST(ColorUnarchiver, RefusesColoursItCannotRepresent) {
  struct Case {
    const char* name;
    QByteArray bytes;
    const char* expect;
  };
  auto single = [](int space, const std::vector<float>& components) {
    TypedStreamBuilder b;
    b.shared("@").color(space, components);
    return b.bytes();
  };
  TypedStreamBuilder namedNil;
  namedNil.shared("@").beginObject({{"NSColor", 0}, {"NSObject", 0}}).shared("c").byte(6);
  namedNil.shared("@@@").string("System").string("gone").byte(0x85).endObject();
  TypedStreamBuilder notAColor;
  notAColor.shared("@").string("red");
  TypedStreamBuilder integerRoot;
  integerRoot.shared("i").integer(5);
  const Case cases[] = {
      {"pattern colour", single(7, {}), "unsupported colour space 7"},
      {"code zero", single(0, {}), "unsupported colour space 0"},
      {"too few components", single(1, {0.5f, 0.5f}), "without its 4 components"},
      {"NaN component", single(1, {0.5f, std::nanf(""), 0, 1}), "NaN"},
      {"named colour resolving to nil", namedNil.bytes(), "no colour to show"},
      {"another class", notAColor.bytes(), "NSString is not NSColor"},
      {"root that is no object", integerRoot.bytes(), "not an object"},
  };
  for (const auto& c : cases) {
    auto r = ColorUnarchiver::unarchiveObjectWithData(c.bytes);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect)))
        << c.name << ": " << r.error().toStdString();
  }
}

TEST(TypedStreamReader, WalksStructsArraysAndCStrings) {
  TypedStreamBuilder b;
  b.shared("{CGSize=dd}").integer(1708).byte(0x83);
  const double half = 0.5;
  quint64 bits;
  std::memcpy(&bits, &half, sizeof bits);
  QByteArray tail;
  for (int i = 0; i < 8; ++i) tail.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
  QByteArray bytes = b.bytes() + tail;
  TypedStreamBuilder rest;  // the remaining groups, spliced after the header of the first
  rest.shared("[3c]").byte('a').byte('b').byte('c');
  rest.shared("[2s]").integer(-200).integer(7);
  rest.shared("**").byte(0x84).shared("{CGRect}").byte(0x92);  // a C string, then its reference
  bytes += rest.bytes().mid(16);
  auto r = TypedStreamReader::read(bytes);
  ASSERT_TRUE(r) << r.error().toStdString();
  const TypedStream& s = r.value();
  ASSERT_EQ(s.groups.size(), 4u);
  const auto first = [&s](std::size_t group) { return s.valuesOf(s.groups[group]).front(); };
  EXPECT_EQ(s.elementsOf(first(0))[0].real, 1708.0);
  EXPECT_EQ(s.elementsOf(first(0))[1].real, 0.5);
  EXPECT_EQ(s.bytesOf(first(1)), QByteArrayView("abc"));
  EXPECT_EQ(s.elementsOf(first(2))[0].integer, -200);
  EXPECT_EQ(s.elementsOf(first(2))[1].integer, 7);
  EXPECT_EQ(s.valuesOf(s.groups[3])[0].entry, s.valuesOf(s.groups[3])[1].entry);
  EXPECT_EQ(s.nameOf(s.entries[0]), QByteArray("{CGRect}"));
}

TEST(TypedStreamReader, ReadsBooleansAsUnsignedBytes) {
  TypedStreamBuilder b;
  b.shared("BB").byte(1).byte(0xff);
  b.shared("{flags=Bc}").byte(0).byte(0xff);
  b.shared("[3B]").byte(1).byte(0).byte(1);
  auto r = TypedStreamReader::read(b.bytes());
  ASSERT_TRUE(r) << r.error().toStdString();
  const TypedStream& s = r.value();
  ASSERT_EQ(s.groups.size(), 3u);
  const auto values = [&s](std::size_t group) { return s.valuesOf(s.groups[group]); };
  EXPECT_EQ(values(0)[0].kind, TypedValue::Kind::Integer);
  EXPECT_EQ(values(0)[0].integer, 1);
  EXPECT_EQ(values(0)[1].integer, 255);  // unsigned, unlike 'c'
  EXPECT_EQ(s.elementsOf(values(1)[0])[0].integer, 0);
  EXPECT_EQ(s.elementsOf(values(1)[0])[1].integer, -1);
  EXPECT_EQ(s.bytesOf(values(2)[0]), QByteArrayView("\x01\x00\x01", 3));
}

TEST(TypedStreamReader, ReadsNestedArraysWithinItsElementBudget) {
  TypedStreamBuilder b;
  b.shared("[2[3s]]");
  for (int i = 1; i <= 6; ++i) b.integer(qint64{i} * 100);
  auto r = TypedStreamReader::read(b.bytes());
  ASSERT_TRUE(r) << r.error().toStdString();
  const TypedStream& s = r.value();
  const auto outer = s.elementsOf(s.valuesOf(s.groups[0])[0]);
  ASSERT_EQ(outer.size(), 2u);
  ASSERT_EQ(s.elementsOf(outer[0]).size(), 3u);
  ASSERT_EQ(s.elementsOf(outer[1]).size(), 3u);
  EXPECT_EQ(s.elementsOf(outer[0])[0].integer, 100);
  EXPECT_EQ(s.elementsOf(outer[1])[2].integer, 600);
}

// Every value of a stream of many small objects where its bytes put it: the root dictionary's
// count and pairs, a record's title, and a number's type and value.
TEST(TypedStreamReader, ReadsADocumentOfManySmallObjects) {
  auto r = TypedStreamReader::read(documentOfSmallObjects(130, 0));
  ASSERT_TRUE(r) << r.error().toStdString();
  const TypedStream& s = r.value();
  EXPECT_GE(s.entries.size(), 1400u);
  const qsizetype root = s.valuesOf(s.groups.at(0))[0].entry;
  ASSERT_EQ(s.classNameOf(root), QByteArray("NSMutableDictionary"));
  const auto pairs = s.groupsOf(s.entries[std::size_t(root)]);
  ASSERT_EQ(pairs.size(), 1u + 2 * 130);
  EXPECT_EQ(s.valuesOf(pairs[0])[0].integer, 130);
  // The second record: its title, then the number under "modified".
  const auto entryIn = [&s](const TypedGroup& group) {
    return std::size_t(s.valuesOf(group)[0].entry);
  };
  const auto record = s.groupsOf(s.entries[entryIn(pairs[4])]);
  ASSERT_EQ(record.size(), 1u + 2 * 6);
  EXPECT_EQ(ColorUnarchiver::stringAt(s, qsizetype(entryIn(record[1]))).value_or(QString()),
            QStringLiteral("title"));
  EXPECT_EQ(ColorUnarchiver::stringAt(s, qsizetype(entryIn(record[2]))).value_or(QString()),
            QStringLiteral("Item 1"));
  const auto number = s.groupsOf(s.entries[entryIn(record[8])]);
  ASSERT_EQ(number.size(), 2u);
  EXPECT_EQ(s.nameOf(s.entries[entryIn(number[0])]), QByteArray("q"));
  EXPECT_EQ(s.encodingOf(number[1]), QByteArray("q"));
  EXPECT_EQ(s.valuesOf(number[1])[0].integer, 700000001);
}

// A 61 KB stream whose array levels, each as long as the data after it, would each allocate
// their elements before any is read: about a gigabyte before the first byte fails.
TEST(TypedStreamReader, RefusesNestedArraysBeforeTheyTakeMemory) {
  constexpr int kLevels = 200;
  constexpr int kLength = 60000;
  QByteArray type;
  for (int i = 0; i < kLevels; ++i) type += "[" + QByteArray::number(kLength);
  type += "i" + QByteArray(kLevels, ']');
  TypedStreamBuilder b;
  b.shared(type);
  const QByteArray bytes = b.bytes() + QByteArray(kLength, '\0');
  ASSERT_LT(bytes.size(), 62 * 1024);

  // The read runs in a child whose address space may grow by 128 MiB at most.
  QFile status(QStringLiteral("/proc/self/status"));
  ASSERT_TRUE(status.open(QIODevice::ReadOnly));
  rlim_t used = 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmSize:")) used = line.mid(7).trimmed().split(' ').first().toULongLong();
  ASSERT_GT(used, 0u);
  const rlim_t cap = used * 1024 + (rlim_t{128} << 20);
  auto readWithinCap = [&] {
    const rlimit limit{cap, cap};
    setrlimit(RLIMIT_AS, &limit);
    auto r = TypedStreamReader::read(bytes);
    std::fputs(r ? "read" : qPrintable(r.error()), stderr);
    std::_Exit(r ? 1 : 0);
  };
  EXPECT_EXIT(readWithinCap(), ::testing::ExitedWithCode(0), "more than the stream can hold");
}

TEST(TypedStreamReader, RejectsMalformedStreams) {
  const QByteArray orange = [] {
    TypedStreamBuilder b;
    b.shared("@").color(1, {1, 0.5f, 0, 1});
    return b.bytes();
  }();
  ASSERT_TRUE(ColorUnarchiver::unarchiveObjectWithData(orange));
  for (qsizetype n = 0; n < orange.size(); ++n) {
    auto r = ColorUnarchiver::unarchiveObjectWithData(orange.left(n));
    EXPECT_FALSE(r) << "kept " << n << " bytes";
  }

  auto after = [](const std::function<void(TypedStreamBuilder&)>& body) {
    TypedStreamBuilder b;
    body(b);
    return b.bytes();
  };
  QByteArray deep = after([](TypedStreamBuilder& b) {
    b.shared("@");
    for (int i = 0; i < 300; ++i) b.beginObject({{"NSBox", 0}}).shared("@");
  });
  // Each level fits the data after it; together they are more than the stream can hold.
  const QByteArray nested =
      after([](TypedStreamBuilder& b) { b.shared("[2000[2000[2000[2000[2000[2000i]]]]]]"); }) +
      QByteArray(2000, '\0');
  struct Case {
    const char* name;
    QByteArray bytes;
    const char* expect;
  };
  const Case cases[] = {
      {"empty", QByteArray(), "end of data"},
      {"wrong streamer version", hexBytes("050b73747265616d7479706564"), "streamer version"},
      {"unknown signature", QByteArray("\x04\x0bstreamtypes\x00", 14), "signature"},
      {"reference to a missing shared string", after([](auto& b) { b.byte(0x95); }),
       "shared string 3 of 0"},
      {"reference to a missing object", after([](auto& b) { b.shared("@").byte(0x92); }),
       "missing object 0 of 0"},
      {"object reference naming a class", after([](auto& b) {
         b.shared("@").color(1, {1, 1, 1, 1}).shared("@").byte(0x93);
       }),
       "entry 1 is not a object"},
      {"class reference naming an object", after([](auto& b) {
         b.shared("@").color(1, {1, 1, 1, 1}).shared("@").byte(0x84).byte(0x92);
       }),
       "entry 0 is not a class"},
      {"object without its end", after([](auto& b) {
         b.shared("@").beginObject({{"NSColor", 0}}).shared("c").byte(1);
       }),
       "not ended"},
      {"object without a class", after([](auto& b) { b.shared("@").byte(0x84).byte(0x85); }),
       "without a class"},
      {"nested too deeply", deep, "deeper than"},
      {"length near 2^31", after([](auto& b) { b.shared("+").integer(0x7fffffff); }),
       "past the end"},
      {"negative length", after([](auto& b) { b.shared("+").integer(-5); }), "past the end"},
      {"array longer than the data", after([](auto& b) { b.shared("[99999999i]"); }),
       "longer than the data"},
      {"array of no elements, which would take no bytes", after([](auto& b) { b.shared("[0i]"); }),
       "without a length"},
      {"nested arrays past the element budget", nested, "more than the stream can hold"},
      {"unsupported type", after([](auto& b) { b.shared("^i"); }), "unsupported type '^'"},
      {"unterminated struct", after([](auto& b) { b.shared("{A=ii"); }), "unterminated"},
      {"nil type string", after([](auto& b) { b.byte(0x85); }), "missing type string"},
      {"tag as an integer", after([](auto& b) { b.shared("i").byte(0x87); }), "tag 0x87"},
  };
  for (const auto& c : cases) {
    auto r = TypedStreamReader::read(c.bytes);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect)))
        << c.name << ": " << r.error().toStdString();
  }
}

// Whatever a stream of 4 KiB or more holds, reading it (to a result or to an error) never
// holds more than 32 times its size from the heap at any moment; real streams, and streams
// shaped like them, are read within half of that.
TEST(TypedStreamReader, NeverHoldsMoreThanAFewTimesItsSize) {
#ifndef QV_HEAP_COUNTER
  GTEST_SKIP() << "the heap is counted only in builds without a sanitizer";
#else
  constexpr qsizetype kFactor = TypedStreamReader::kHeapBytesPerByte;
  static_assert(kFactor == 32);
  auto stream = [](const std::function<void(TypedStreamBuilder&)>& body) {
    TypedStreamBuilder b;
    body(b);
    return b.bytes();
  };
  const QByteArray typeOfManyFields = "{Many=" + QByteArray(16000, 'i') + "}";
  QByteArray nestedTypes;
  for (int i = 0; i < 3; ++i) nestedTypes += "[20";
  nestedTypes += "i]]]";
  struct Case {
    const char* name;
    QByteArray bytes;
    bool real;  // must be read, within half the bound
  };
  std::vector<Case> cases = {
      {"one array of a million integers, a byte each",
       stream([](auto& b) { b.shared("[1000000i]"); }) + QByteArray(1000000, '\1'), false},
      {"arrays of arrays, one integer a byte",
       stream([&](auto& b) { b.shared(nestedTypes); }) + QByteArray(8000, '\1'), false},
      {"a struct of many fields, a byte each",
       stream([&](auto& b) { b.shared(typeOfManyFields); }) + QByteArray(16000, '\2'), false},
      {"many one-byte strings", stream([](auto& b) {
         for (int i = 0; i < 20000; ++i) b.shared("+").integer(1).byte('x');
       }),
       false},
      {"many objects of nothing but a class", stream([](auto& b) {
         for (int i = 0; i < 20000; ++i) b.shared("@").beginObject({{"NSObject", 0}}).endObject();
       }),
       false},
      {"many values each a group of its own", stream([](auto& b) {
         for (int i = 0; i < 20000; ++i) b.shared("c").byte(i);
       }),
       false},
      {"a long type string begun at every level of nested objects, cut short", stream([&](auto& b) {
         b.shared("@");
         for (int i = 0; i < 250; ++i)
           b.beginObject({{"NSBox", 0}}).shared("@" + QByteArray(8000, 'i'));
       }),
       false},
  };
  // 1,400 entries or more, one every 11 and every 22 bytes.
  cases.push_back({"a document of small objects", documentOfSmallObjects(130, 0), true});
  cases.push_back(
      {"a document of small objects with longer titles", documentOfSmallObjects(130, 120), true});
  for (const char* fixture : {"typedstream/Emacs.clr", "typedstream/Empty2D-macOS-10.14.gcx"}) {
    if (auto bytes = readFixture(QString::fromLatin1(fixture)))
      cases.push_back({fixture, *bytes, true});
  }
  for (const Case& c : cases) {
    ASSERT_GE(c.bytes.size(), 4096) << c.name;
    HeapCounter::mark();
    const bool read = static_cast<bool>(TypedStreamReader::read(c.bytes));
    const std::size_t peak = HeapCounter::peakSinceMark();
    const qsizetype bound = c.real ? kFactor / 2 : kFactor;
    if (c.real) {
      EXPECT_TRUE(read) << c.name;
    }
    EXPECT_LE(peak, std::size_t(bound * c.bytes.size()))
        << c.name << ": " << double(peak) / double(c.bytes.size()) << " times its size";
  }
#endif
}

TEST(TypedStreamFixtures, EveryColourInTheEmacsListDecodesWithItsName) {
  QV_FIXTURE_OR_SKIP(bytes, "typedstream/Emacs.clr");
  auto stream = TypedStreamReader::read(bytes);
  ASSERT_TRUE(stream) << stream.error().toStdString();
  const TypedStream& s = stream.value();
  QStringList names;
  std::map<QString, Rgba> colours;
  for (const TypedGroup& group : s.groups) {
    if (s.encodingOf(group) != "@@") continue;
    auto colour = ColorUnarchiver::colorAt(s, s.valuesOf(group)[0].entry);
    ASSERT_TRUE(colour) << colour.error().toStdString();
    auto name = ColorUnarchiver::stringAt(s, s.valuesOf(group)[1].entry);
    ASSERT_TRUE(name) << name.error().toStdString();
    EXPECT_EQ(colour.value().color.space(), Color::Space::CalibratedRGB)
        << name.value().toStdString();
    names << name.value();
    colours[name.value()] = *colour.value().color.usingCalibratedRGB();
  }
  EXPECT_GT(names.size(), 500);
  EXPECT_EQ(names.front(), QStringLiteral("LightGreen"));
  EXPECT_EQ(names.removeDuplicates(), 0);
  // X11's LightGreen is 144, 238, 144; DarkRed 139, 0, 0 with integral zeros.
  EXPECT_NEAR(colours[QStringLiteral("LightGreen")].r, 144 / 255.0, 1e-6);
  EXPECT_NEAR(colours[QStringLiteral("LightGreen")].g, 238 / 255.0, 1e-6);
  EXPECT_EQ(colours[QStringLiteral("DarkRed")].g, 0.0f);
  EXPECT_EQ(colours[QStringLiteral("DarkRed")].a, 1.0f);
  EXPECT_NEAR(colours[QStringLiteral("DarkRed")].r, 139 / 255.0, 1e-6);
}

TEST(TypedStreamFixtures, WalksALargerRealDocument) {
  QV_FIXTURE_OR_SKIP(bytes, "typedstream/Empty2D-macOS-10.14.gcx");
  auto stream = TypedStreamReader::read(bytes);
  ASSERT_TRUE(stream) << stream.error().toStdString();
  const TypedStream& s = stream.value();
  ASSERT_EQ(s.groups.size(), 1u);
  EXPECT_EQ(s.classNameOf(s.valuesOf(s.groups[0])[0].entry), QByteArray("NSMutableDictionary"));
  // Not a colour: the colour reader says so instead of guessing.
  auto colour = ColorUnarchiver::unarchiveObjectWithData(bytes);
  ASSERT_FALSE(colour);
  EXPECT_TRUE(colour.error().contains(QLatin1String("NSMutableDictionary")));
}
}  // namespace
