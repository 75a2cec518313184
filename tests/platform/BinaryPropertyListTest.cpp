#include <gtest/gtest.h>

#include <QDirIterator>
#include <QTemporaryFile>
#include <cmath>
#include <functional>
#include <limits>

#include "ArchiveTestSupport.h"
#include "platform/Dictionary.h"
#include "platform/archive/ArchiveLayout.h"
#include "platform/archive/BinaryPropertyListReader.h"
#include "platform/archive/BinaryPropertyListWriter.h"
#include "platform/archive/KeyedArchiver.h"

namespace {
using P = PropertyListObject;

// The bytes of the first (root) object of a one-object list.
QByteArray rootObjectBytes(const QByteArray& plist) {
  const auto offsetTable =
      static_cast<qsizetype>(QByteArray::fromRawData(plist.constData() + plist.size() - 8, 8)
                                 .toHex()
                                 .toULongLong(nullptr, 16));
  return plist.mid(8, offsetTable - 8);
}

int trailerByte(const QByteArray& plist, int at) {
  return static_cast<unsigned char>(plist[plist.size() - 32 + at]);
}

quint64 trailerWord(const QByteArray& plist, int at) {
  return plist.mid(plist.size() - 32 + at, 8).toHex().toULongLong(nullptr, 16);
}

struct EncodingCase {
  const char* name;
  PropertyListRef object;
  const char* hex;
};

TEST(BinaryPropertyListWriter, WritesScalarsInTheirSmallestForms) {
  const EncodingCase cases[] = {
      {"one-byte integer", P::integer(5), "1005"},
      {"two-byte integer", P::integer(34545), "1186f1"},
      {"four-byte integer", P::integer(100000), "12000186a0"},
      {"eight-byte integer", P::integer(1LL << 40), "130000010000000000"},
      {"negative integer takes 8 bytes", P::integer(-1), "13ffffffffffffffff"},
      {"above 2^63-1 takes 16 bytes", P::unsignedInteger(1ULL << 63),
       "1400000000000000008000000000000000"},
      {"double", P::real(0.5), "233fe0000000000000"},
      {"date", P::date(-1.0), "33bff0000000000000"},
      {"false", P::boolean(false), "08"},
      {"true", P::boolean(true), "09"},
      {"ascii string", P::string(QStringLiteral("ab")), "526162"},
      {"21-character string has a count object", P::string(QStringLiteral("abcdefghijklmnopqrstu")),
       "5f10156162636465666768696a6b6c6d6e6f7071727374 75"},
      {"non-ascii string is UTF-16BE", P::string(QString::fromUtf8("\xc3\xa9")), "6100e9"},
      {"astral character counts two units", P::string(QString::fromUtf8("\xf0\x9f\x94\x91")),
       "62d83ddd11"},
      {"data", P::data(QByteArray("\x01\x02", 2)), "420102"},
      {"one-byte UID", P::uid(7), "8007"},
      {"two-byte UID", P::uid(300), "81012c"},
      {"empty array", P::array({}), "a0"},
  };
  for (const auto& c : cases) {
    const QByteArray plist = BinaryPropertyListWriter::write(*c.object);
    EXPECT_EQ(rootObjectBytes(plist).toHex(), hexBytes(c.hex).toHex()) << c.name;
  }
}

TEST(BinaryPropertyListWriter, StoresEqualScalarsOnceAndNeverSharesContainersOrBooleans) {
  // "a" twice, 5 twice, 5.0 (a double: not the integer 5), two trues, two empty arrays.
  auto root = P::array({P::string(QStringLiteral("a")), P::string(QStringLiteral("a")),
                        P::integer(5), P::integer(5), P::real(5.0), P::boolean(true),
                        P::boolean(true), P::array({}), P::array({}), P::uid(1), P::uid(1)});
  const QByteArray plist = BinaryPropertyListWriter::write(*root);
  // root, "a", 5, 5.0, true, true, [], [], UID 1
  EXPECT_EQ(trailerWord(plist, 8), 9u);
  EXPECT_EQ(trailerWord(plist, 16), 0u) << "root first";
  EXPECT_EQ(rootObjectBytes(plist).left(12).toHex(), QByteArray("ab0101020203040506070808"));
}

TEST(BinaryPropertyListWriter, VisitsDictionaryKeysBeforeValues) {
  auto root = P::dictionary({QStringLiteral("k1"), QStringLiteral("k2")},
                            {P::array({P::string(QStringLiteral("v"))}), P::integer(1)});
  const QByteArray plist = BinaryPropertyListWriter::write(*root);
  // 0 dict, 1 "k1", 2 "k2", 3 array, 4 "v", 5 the integer.
  EXPECT_TRUE(rootObjectBytes(plist).startsWith(hexBytes("d201020305")));
}

TEST(BinaryPropertyListWriter, PicksReferenceAndOffsetWidthsThatJustFit) {
  struct Case {
    int strings;
    int refSize;
    int offsetSize;
  };
  for (const Case c :
       {Case{10, 1, 1}, Case{254, 1, 2}, Case{255, 1, 2}, Case{256, 2, 2}, Case{70000, 4, 4}}) {
    std::vector<PropertyListRef> items;
    items.reserve(static_cast<std::size_t>(c.strings));
    for (int i = 0; i < c.strings; ++i) items.push_back(P::string(QString::number(i)));
    const QByteArray plist = BinaryPropertyListWriter::write(*P::array(std::move(items)));
    EXPECT_EQ(trailerByte(plist, 7), c.refSize) << c.strings << " strings";
    EXPECT_EQ(trailerByte(plist, 6), c.offsetSize) << c.strings << " strings";
    auto back = BinaryPropertyListReader::read(plist);
    ASSERT_TRUE(back) << back.error().toStdString();
    EXPECT_EQ(back.value()->items().size(), static_cast<std::size_t>(c.strings));
  }
}

TEST(BinaryPropertyListWriter, WritesANodeReachedTwiceOnce) {
  // Each level holds the one below twice: written as a tree it would have 2^40 objects.
  PropertyListRef level = P::array({P::string(QStringLiteral("leaf"))});
  for (int i = 0; i < 40; ++i) level = P::array({level, level});
  // An unshared node equal to a shared one is still its own object.
  auto root = P::array({level, level, P::array({P::string(QStringLiteral("leaf"))})});
  const QByteArray plist = BinaryPropertyListWriter::write(*root);
  // root, 40 levels, the innermost array, "leaf", its unshared twin.
  EXPECT_EQ(trailerWord(plist, 8), 44u);
  auto back = BinaryPropertyListReader::read(plist);
  ASSERT_TRUE(back) << back.error().toStdString();
  // The reader keeps the sharing: the same node twice at every level.
  const PropertyListObject* node = back.value().get();
  for (int i = 0; i < 41; ++i) {
    ASSERT_GE(node->items().size(), 2u);
    ASSERT_EQ(node->items()[0], node->items()[1]) << "level " << i;
    node = node->items()[0].get();
  }
  EXPECT_EQ(node->items().size(), 1u);
}

TEST(BinaryPropertyListWriter, StoresEachUidOnceWhateverItsSize) {
  // Small UIDs, and ones far beyond the object count, repeated out of order.
  const quint32 values[] = {5, 0xFFFFFFFFu, 5, 70000, 0xFFFFFFFFu, 0, 200000, 70000, 0};
  std::vector<PropertyListRef> items;
  for (quint32 v : values) items.push_back(P::uid(v));
  const QByteArray plist = BinaryPropertyListWriter::write(*P::array(items));
  EXPECT_EQ(trailerWord(plist, 8), 6u) << "root and five distinct UIDs";
  EXPECT_EQ(rootObjectBytes(plist).left(10).toHex(), QByteArray("a9010201030204050304"));
  auto back = BinaryPropertyListReader::read(plist);
  ASSERT_TRUE(back) << back.error().toStdString();
  EXPECT_TRUE(*back.value() == *P::array(items));
}

TEST(BinaryPropertyListReader, ReadsBackEveryKindNested) {
  QString lone(1, QChar(0xD800));  // an unpaired surrogate survives as it is
  auto inner = P::dictionary(
      {QStringLiteral("null"), QStringLiteral("min"), QStringLiteral("max"), QStringLiteral("u"),
       QString::fromUtf8("cl\xc3\xa9"), QStringLiteral("lone")},
      {P::null(), P::integer(std::numeric_limits<qint64>::min()),
       P::integer(std::numeric_limits<qint64>::max()),
       P::unsignedInteger(std::numeric_limits<quint64>::max()), P::real(-0.0), P::string(lone)});
  auto root = P::array({inner, P::set({P::integer(1), P::integer(2)}), P::date(-13197600000.0),
                        P::data(QByteArray(300, 'x')), P::uid(0xFFFFFFFFu), P::boolean(false),
                        P::real(std::numeric_limits<double>::infinity()), P::array({inner})});
  auto back = BinaryPropertyListReader::read(BinaryPropertyListWriter::write(*root));
  ASSERT_TRUE(back) << back.error().toStdString();
  EXPECT_TRUE(*back.value() == *root);
}

// Builds a list from raw objects, with a one-byte offset table and the given trailer fields.
QByteArray handMade(const QByteArray& objects, const std::vector<int>& offsets, int offsetSize = 1,
                    int refSize = 1, quint64 count = 0, quint64 top = 0, qint64 tableOffset = -1) {
  QByteArray out("bplist00");
  out += objects;
  const auto table = static_cast<quint64>(out.size());
  for (int o : offsets)
    for (int i = offsetSize - 1; i >= 0; --i)
      out.append(static_cast<char>((static_cast<quint64>(o) >> (8 * i)) & 0xFF));
  out.append(6, '\0');
  out.append(static_cast<char>(offsetSize));
  out.append(static_cast<char>(refSize));
  auto word = [&](quint64 v) {
    for (int i = 7; i >= 0; --i) out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  word(count ? count : offsets.size());
  word(top);
  word(tableOffset < 0 ? table : static_cast<quint64>(tableOffset));
  return out;
}

TEST(BinaryPropertyListReader, AcceptsNonMinimalIntegersAndFloat32) {
  // [5 stored in two bytes, 0.5 as float32, 7 in a 16-byte form]
  const QByteArray plist = handMade(
      hexBytes("a3010203110005223f0000001400000000000000000000000000000007"), {8, 12, 15, 20});
  auto back = BinaryPropertyListReader::read(plist);
  ASSERT_TRUE(back) << back.error().toStdString();
  EXPECT_EQ(back.value()->items()[0]->integerValue(), 5);
  EXPECT_EQ(back.value()->items()[1]->realValue(), 0.5);
  EXPECT_EQ(back.value()->items()[2]->integerValue(), 7);
}

// A well-formed list of [ "ab", 7, { "k": [] } ] to corrupt.
QByteArray smallList() {
  return BinaryPropertyListWriter::write(
      *P::array({P::string(QStringLiteral("ab")), P::integer(7),
                 P::dictionary({QStringLiteral("k")}, {P::array({})})}));
}

TEST(BinaryPropertyListReader, RejectsEveryTruncation) {
  const QByteArray whole = smallList();
  ASSERT_TRUE(BinaryPropertyListReader::read(whole));
  for (qsizetype n = 0; n < whole.size(); ++n) {
    auto r = BinaryPropertyListReader::read(whole.left(n));
    EXPECT_FALSE(r) << "kept " << n << " bytes";
    EXPECT_FALSE(r.error().isEmpty());
  }
}

TEST(BinaryPropertyListReader, RejectsMalformedLists) {
  struct Case {
    const char* name;
    QByteArray bytes;
    const char* expect;  // part of the message
  };
  QByteArray badMagic = smallList();
  badMagic[7] = '1';
  // Refs need two bytes for 600 objects.
  QByteArray bomb;
  std::vector<int> bombOffsets;
  for (int i = 0; i < 600; ++i) {
    bombOffsets.push_back(static_cast<int>(8 + bomb.size()));
    if (i + 1 < 600) {
      bomb += hexBytes("a1");
      bomb.append(static_cast<char>((i + 1) >> 8));
      bomb.append(static_cast<char>((i + 1) & 0xFF));
    } else {
      bomb += hexBytes("a0");
    }
  }
  const Case cases[] = {
      {"bad magic", badMagic, "header"},
      {"too short", QByteArray("bplist00"), "too short"},
      {"offset out of range", handMade(hexBytes("1005"), {200}), "offset outside"},
      {"offset into the header", handMade(hexBytes("1005"), {3}), "offset outside"},
      {"ref out of range", handMade(hexBytes("a109"), {8}), "reference 9 beyond"},
      {"self-referencing array", handMade(hexBytes("a100"), {8}), "contains itself"},
      {"two arrays in a cycle", handMade(hexBytes("a101a100"), {8, 10}), "contains itself"},
      {"depth bomb", handMade(bomb, bombOffsets, 2, 2), "deeper than 512"},
      {"count near 2^64", handMade(hexBytes("af13fffffffffffffff0"), {8}), "negative count"},
      {"count past the end", handMade(hexBytes("af137ffffffffffffff0"), {8}), "past the object"},
      {"string past the end", handMade(hexBytes("5f1020"), {8}), "past the object"},
      {"count of the wrong type", handMade(hexBytes("4f5100"), {8}), "count is not an integer"},
      {"non-ascii byte in ascii string", handMade(hexBytes("5180"), {8}), "non-ASCII"},
      {"dictionary with an integer key", handMade(hexBytes("d101011005"), {8, 11}),
       "key is not a string"},
      {"UID above 2^32-1", handMade(hexBytes("870000000100000000"), {8}), "UID"},
      {"three-byte UID", handMade(hexBytes("82000001"), {8}), "UID of 3 bytes"},
      {"fill byte", handMade(hexBytes("0f"), {8}), "marker 0x0f"},
      {"later-version marker", handMade(hexBytes("70"), {8}), "marker 0x70"},
      {"32-byte integer", handMade(hexBytes("15") + QByteArray(32, '\0'), {8}), "integer"},
      {"16-byte integer beyond 64 bits",
       handMade(hexBytes("1400000000000000010000000000000000"), {8}), "fit 64 bits"},
      {"wrong trailer: no objects",
       handMade(hexBytes("1005"), {8}, 1, 1, 0, 0, 9)
           .replace(hexBytes("0000000000000001"), hexBytes("0000000000000000")),
       "trailer"},
      {"wrong trailer: top beyond count", handMade(hexBytes("1005"), {8}, 1, 1, 1, 1),
       "top object"},
      {"wrong trailer: count does not fill the table", handMade(hexBytes("1005"), {8}, 1, 1, 5),
       "do not fill"},
      {"wrong trailer: table offset inside the header",
       handMade(hexBytes("1005"), {8}, 1, 1, 1, 0, 4), "offset table"},
      {"wrong trailer: zero reference size", handMade(hexBytes("1005"), {8}, 1, 0),
       "reference size"},
      {"wrong trailer: huge count overflowing the table size",
       handMade(hexBytes("1005"), {8}, 8, 1, 0x2000000000000001ULL), "do not fill"},
  };
  for (const auto& c : cases) {
    auto r = BinaryPropertyListReader::read(c.bytes);
    ASSERT_FALSE(r) << c.name;
    EXPECT_TRUE(r.error().contains(QLatin1String(c.expect)))
        << c.name << ": " << r.error().toStdString();
  }
}

TEST(BinaryPropertyListReader, SharedSubtreesDoNotBlowUp) {
  // Object i is an array holding object i+1 twice: 2^40 paths, 41 objects.
  QByteArray objects;
  std::vector<int> offsets;
  for (int i = 0; i < 40; ++i) {
    offsets.push_back(static_cast<int>(8 + objects.size()));
    objects += hexBytes("a2");
    objects.append(static_cast<char>(i + 1));
    objects.append(static_cast<char>(i + 1));
  }
  offsets.push_back(static_cast<int>(8 + objects.size()));
  objects += hexBytes("1001");
  auto r = BinaryPropertyListReader::read(handMade(objects, offsets));
  ASSERT_TRUE(r) << r.error().toStdString();
  EXPECT_EQ(r.value()->items()[0].get(), r.value()->items()[1].get());
}

// Trees whose every level holds the one below twice have 2^64 paths: a comparison that
// walked them would never end, so each answer below shows each pair is looked at once.
TEST(PropertyListObject, TreesSharingSubtreesCompareByTheirNodes) {
  constexpr int kLevels = 64;
  using Level = std::function<PropertyListRef(const PropertyListRef&, const PropertyListRef&)>;
  const Level array = [](const PropertyListRef& a, const PropertyListRef& b) {
    return P::array({a, b});
  };
  const Level dictionary = [](const PropertyListRef& a, const PropertyListRef& b) {
    return P::dictionary({QStringLiteral("a"), QStringLiteral("b")}, {a, b});
  };
  // Each level holds first and second of the level below.
  const auto tower = [](const Level& level, PropertyListRef first, PropertyListRef second) {
    for (int i = 0; i < kLevels; ++i) {
      auto next = level(first, second);
      first = second = next;
    }
    return first;
  };
  const auto leaf = [](const char* text) { return P::string(QString::fromLatin1(text)); };
  const auto shared = leaf("leaf");
  struct Case {
    const char* name;
    PropertyListRef a, b;
    bool equal;
  };
  const Case cases[] = {
      {"arrays built twice", tower(array, shared, shared), tower(array, leaf("leaf"), leaf("leaf")),
       true},
      {"dictionaries built twice", tower(dictionary, shared, shared),
       tower(dictionary, leaf("leaf"), leaf("leaf")), true},
      {"one leaf shared, the other two equal ones", tower(array, shared, shared),
       tower(array, leaf("leaf"), shared), true},
      {"the second leaf differs", tower(array, shared, shared), tower(array, shared, leaf("left")),
       false},
      {"arrays against dictionaries", tower(array, shared, shared),
       tower(dictionary, shared, shared), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(*c.a == *c.b, c.equal) << c.name;
    EXPECT_EQ(*c.b == *c.a, c.equal) << c.name;
    // As the fuzz target checks: written and read back, the tree is the same.
    auto back = BinaryPropertyListReader::read(BinaryPropertyListWriter::write(*c.a));
    ASSERT_TRUE(back) << c.name << ": " << back.error().toStdString();
    EXPECT_TRUE(*back.value() == *c.a) << c.name;
  }
}

TEST(BinaryPropertyListFixtures, EveryBinaryArchiveReadsAndRewritesToTheSameTree) {
  const QString folder = fixturePath(QStringLiteral("keyed-archive"));
  if (!QDir(folder).exists()) GTEST_SKIP() << "fixture folder missing: " << folder.toStdString();
  int binaries = 0;
  QDirIterator it(folder, QDir::Files);
  while (it.hasNext()) {
    QFile file(it.next());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("bplist00")) continue;  // the XML twins
    ++binaries;
    auto plist = BinaryPropertyListReader::read(bytes);
    ASSERT_TRUE(plist) << file.fileName().toStdString() << ": " << plist.error().toStdString();
    ASSERT_EQ(plist.value()->kind(), PropertyListObject::Kind::Dictionary);
    // The macOS writer stores some equal strings twice; ours never does, so it is no larger.
    const QByteArray rewritten = BinaryPropertyListWriter::write(*plist.value());
    EXPECT_LE(rewritten.size(), bytes.size()) << file.fileName().toStdString();
    auto again = BinaryPropertyListReader::read(rewritten);
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_TRUE(*again.value() == *plist.value()) << file.fileName().toStdString();
  }
  EXPECT_EQ(binaries, 7);
}
// What the layout check says of bytes held in a file, as a reader of that file would see them.
Result<void> layoutOf(const QByteArray& bytes) {
  QTemporaryFile file;
  if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
    return Failure{QStringLiteral("no temporary file")};
  return ArchiveLayout::check(FileSample(file.handle(), bytes.size()));
}

// Nothing the reader takes as an archive is refused before it is read: the macOS archives,
// one of ours, and one whose offsets take three bytes.
TEST(ArchiveLayout, PassesEveryArchiveTheReaderTakes) {
  std::vector<std::pair<QString, QByteArray>> archives;
  QDirIterator it(fixturePath(QStringLiteral("keyed-archive")), QDir::Files);
  while (it.hasNext()) {
    QFile file(it.next());
    if (file.open(QIODevice::ReadOnly))
      if (const QByteArray bytes = file.readAll(); bytes.startsWith("bplist00"))
        archives.emplace_back(file.fileName(), bytes);
  }
  auto root = Dictionary::create();
  root->setValue(QStringLiteral("piece"), Value::data(QByteArray(70000, 'p')));
  root->setValue(QStringLiteral("name"), Value(QStringLiteral("Bank")));
  archives.emplace_back(QStringLiteral("ours"),
                        KeyedArchiver::archivedDataWithRootObject(Value(root)).value());
  archives.emplace_back(QStringLiteral("three-byte offsets"), handMade(hexBytes("d0"), {8}, 3));
  for (const auto& [name, bytes] : archives) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(BinaryPropertyListReader::read(bytes));
    const Result<void> layout = layoutOf(bytes);
    EXPECT_TRUE(layout) << layout.error().toStdString();
  }
}

TEST(ArchiveLayout, RefusesWhatCannotBeAnArchiveOfItsSize) {
  const struct {
    const char* name;
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"too short", QByteArray("bplist00") + QByteArray(32, '\0'), "too short"},
      {"a trailer of zeros", QByteArray("bplist00") + QByteArray(64, '\0'), "out of 1..8"},
      {"a table the file cannot hold", handMade(hexBytes("d0"), {8}, 1, 1, 1000), "do not fill"},
      {"an offset into the header", handMade(hexBytes("d0"), {4}), "outside the object area"},
      {"an offset into the table", handMade(hexBytes("d0d0"), {8, 10}),
       "offset 10 of object 1 lies outside"},
      {"an array at the top", handMade(hexBytes("a0"), {8}), "is not a dictionary"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<void> layout = layoutOf(c.bytes);
    ASSERT_FALSE(layout);
    EXPECT_TRUE(layout.error().contains(QLatin1String(c.says))) << layout.error().toStdString();
  }
}
}  // namespace
