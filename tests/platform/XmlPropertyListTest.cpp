#include <gtest/gtest.h>

#include <cmath>

#include "platform/archive/BinaryPropertyListWriter.h"
#include "platform/archive/PropertyListSerialization.h"
#include "platform/archive/XmlPropertyListReader.h"

namespace {
using P = PropertyListObject;

QByteArray plist(const char* body) {
  return QByteArray(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
             "<plist version=\"1.0\">\n") +
         body + "\n</plist>\n";
}

TEST(XmlPropertyListReader, ReadsEveryKindAsTheBinaryFormWould) {
  const QByteArray xml = plist(R"(<dict>
  <!-- a comment -->
  <key>LRA</key><integer> 40300 </integer>
  <key>negative</key><integer>-9223372036854775808</integer>
  <key>above 2^63</key><integer>18446744073709551615</integer>
  <key>text &amp; more</key><string>a &lt;b&gt; &#x00E9;&#128273;</string>
  <key>empty</key><string/>
  <key>list</key><array><true/><false/><real>-0.5</real><real>1e3</real><array/></array>
  <key>when</key><date>2001-01-02T00:00:01Z</date>
  <key>bytes</key><data>
    AAEC
    /w==
  </data>
  <key>nested</key><dict><key>k</key><dict/></dict>
</dict>)");
  auto read = XmlPropertyListReader::read(xml);
  ASSERT_TRUE(read) << read.error().toStdString();
  const auto expected = P::dictionary(
      {QStringLiteral("LRA"), QStringLiteral("negative"), QStringLiteral("above 2^63"),
       QStringLiteral("text & more"), QStringLiteral("empty"), QStringLiteral("list"),
       QStringLiteral("when"), QStringLiteral("bytes"), QStringLiteral("nested")},
      {P::integer(40300), P::integer(INT64_MIN), P::unsignedInteger(UINT64_MAX),
       P::string(QString::fromUtf8("a <b> \xc3\xa9\xf0\x9f\x94\x91")), P::string(QString()),
       P::array(
           {P::boolean(true), P::boolean(false), P::real(-0.5), P::real(1000.0), P::array({})}),
       P::date(86401.0), P::data(QByteArray("\x00\x01\x02\xff", 4)),
       P::dictionary({QStringLiteral("k")}, {P::dictionary({}, {})})});
  EXPECT_TRUE(*read.value() == *expected);

  // The same tree in binary form reads back equal through the one entry point.
  auto binary =
      PropertyListSerialization::propertyListWithData(BinaryPropertyListWriter::write(*expected));
  ASSERT_TRUE(binary) << binary.error().toStdString();
  EXPECT_TRUE(*binary.value() == *expected);
  auto viaEntry = PropertyListSerialization::propertyListWithData(xml);
  ASSERT_TRUE(viaEntry) << viaEntry.error().toStdString();
  EXPECT_TRUE(*viaEntry.value() == *expected);
}

TEST(XmlPropertyListReader, ReadsTheSpecialRealsAndABareDocument) {
  auto read = XmlPropertyListReader::read(
      "<plist><array><real>nan</real><real>+infinity</real><real>-INF</real></array></plist>");
  ASSERT_TRUE(read) << read.error().toStdString();
  const auto& items = read.value()->items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(std::isnan(items[0]->realValue()));
  EXPECT_EQ(items[1]->realValue(), INFINITY);
  EXPECT_EQ(items[2]->realValue(), -INFINITY);
}

TEST(XmlPropertyListReader, RefusesBadInputSayingWhatIsWrong) {
  const QByteArray deep = QByteArray("<plist>") + QByteArray("<array>").repeated(600) +
                          QByteArray("</array>").repeated(600) + "</plist>";
  const struct {
    const char* name;
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"empty input", "", "Premature end of document"},
      {"not XML", "LRA=40300", "Start tag expected"},
      {"truncated", plist("<dict><key>LRA</key><integer>1</integer>").left(150), "line"},
      {"another root", "<dict><key>a</key><true/></dict>", "root element <dict> is not <plist>"},
      {"empty plist", plist(""), "holds no object"},
      {"two objects", plist("<true/><false/>"), "more than one object"},
      {"unknown element", plist("<number>1</number>"), "unknown element <number>"},
      {"key outside a dictionary", plist("<array><key>a</key></array>"),
       "<key> outside a dictionary"},
      {"value without key", plist("<dict><string>a</string></dict>"), "<string> where a <key>"},
      {"key without value", plist("<dict><key>a</key></dict>"), "key \"a\" has no value"},
      {"two keys in a row", plist("<dict><key>a</key><key>b</key><true/></dict>"),
       "key \"a\" has no value"},
      {"duplicate key", plist("<dict><key>a</key><true/><key>a</key><false/></dict>"),
       "key \"a\" appears twice"},
      {"element in a string", plist("<string>a<b/></string>"), "<b> inside <string>"},
      {"text between objects", plist("<array>x<true/></array>"), "text where an element belongs"},
      {"integer too large", plist("<integer>18446744073709551616</integer>"), "not an integer"},
      {"integer below -2^63", plist("<integer>-9223372036854775809</integer>"), "not an integer"},
      {"integer with letters", plist("<integer>12abc</integer>"), "not an integer"},
      {"hex integer", plist("<integer>0x10</integer>"), "not an integer"},
      {"empty integer", plist("<integer/>"), "not an integer"},
      {"real with letters", plist("<real>1.5x</real>"), "not a number"},
      {"real out of range", plist("<real>1e999</real>"), "not a number"},
      {"date without zone", plist("<date>2024-01-01T00:00:00</date>"), "not a date"},
      {"impossible date", plist("<date>2024-13-40T00:00:00Z</date>"), "not a date"},
      {"data not Base64", plist("<data>@@@</data>"), "not Base64"},
      {"text in true", plist("<true>yes</true>"), "text inside <true/>"},
      {"entity declared",
       "<!DOCTYPE plist [<!ENTITY a \"aaaa\">]><plist><string>&a;</string></plist>",
       "declares entities"},
      {"undeclared entity", plist("<string>&nope;</string>"), ""},
      {"too deep", deep, "nesting deeper than 512"},
      {"text after the root", plist("<true/>") + "tail", "Extra content at end of document"},
  };
  for (const auto& c : cases) {
    auto read = XmlPropertyListReader::read(c.bytes);
    ASSERT_FALSE(read) << c.name;
    EXPECT_TRUE(read.error().startsWith(QStringLiteral("XML property list: "))) << c.name;
    EXPECT_TRUE(read.error().contains(QString::fromUtf8(c.says)))
        << c.name << ": " << read.error().toStdString();
  }
}

}  // namespace
