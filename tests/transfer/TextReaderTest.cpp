#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/MacRoman.h"
#include "transfer/ZVSmartStringFileReader.h"

namespace {
using Reader = ZVSmartStringFileReader;
namespace Code = TextEncodingCode;

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

struct DecodeCase {
  const char* what;
  QByteArray input;
  qint32 code;
  std::optional<QString> text;  // none: the read fails
  TextEncoding encoding = TextEncoding::UTF8;
};

TEST(TextReaderTest, DecodesEveryEncodingStrictly) {
  const QString cafe = QStringLiteral("caf\u00E9");
  const DecodeCase cases[] = {
      // UTF-8: marks stripped, invalid and cut-short sequences refused.
      {"utf-8", QByteArray("caf\xC3\xA9"), Code::UTF8, cafe},
      {"utf-8 with mark",
       QByteArray("\xEF\xBB\xBF"
                  "caf\xC3\xA9"),
       Code::UTF8, cafe},
      {"utf-8 four bytes", QByteArray("\xF0\x9F\x94\x91"), Code::UTF8,
       QStringLiteral("\U0001F511")},
      {"utf-8 cut short", QByteArray("caf\xC3"), Code::UTF8, std::nullopt},
      {"utf-8 overlong", QByteArray("\xC0\xAF"), Code::UTF8, std::nullopt},
      {"utf-8 surrogate", QByteArray("\xED\xA0\x80"), Code::UTF8, std::nullopt},
      {"utf-8 past U+10FFFF", QByteArray("\xF4\x90\x80\x80"), Code::UTF8, std::nullopt},
      {"utf-8 stray continuation", QByteArray("a\x80"), Code::UTF8, std::nullopt},
      // UTF-16: the mark picks the order and goes; an odd length or lone surrogate fails.
      {"utf-16 be mark", bytes({0xFE, 0xFF, 0, 'a', 0, 0xE9}), Code::UTF16,
       QStringLiteral("a\u00E9"), TextEncoding::UTF16BE},
      {"utf-16 le mark", bytes({0xFF, 0xFE, 'a', 0, 0xE9, 0}), Code::UTF16,
       QStringLiteral("a\u00E9"), TextEncoding::UTF16LE},
      {"utf-16 no mark is big-endian", bytes({0, 'a'}), Code::UTF16, QStringLiteral("a"),
       TextEncoding::UTF16BE},
      {"utf-16be strips its mark", bytes({0xFE, 0xFF, 0, 'a'}), Code::UTF16BE, QStringLiteral("a"),
       TextEncoding::UTF16BE},
      {"utf-16le strips its mark", bytes({0xFF, 0xFE, 'a', 0}), Code::UTF16LE, QStringLiteral("a"),
       TextEncoding::UTF16LE},
      {"explicit order is trusted", bytes({'a', 0}), Code::UTF16BE, QStringLiteral("\u6100"),
       TextEncoding::UTF16BE},
      {"utf-16 pair", bytes({0x3D, 0xD8, 0x11, 0xDD}), Code::UTF16LE, QStringLiteral("\U0001F511"),
       TextEncoding::UTF16LE},
      {"utf-16 odd length", bytes({'a', 0, 'b'}), Code::UTF16LE, std::nullopt},
      {"utf-16 lone high surrogate", bytes({0x3D, 0xD8, 'a', 0}), Code::UTF16LE, std::nullopt},
      {"utf-16 lone low surrogate", bytes({0x11, 0xDD}), Code::UTF16LE, std::nullopt},
      // UTF-32.
      {"utf-32 be mark", bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'a'}), Code::UTF32, QStringLiteral("a"),
       TextEncoding::UTF32BE},
      {"utf-32 le mark", bytes({0xFF, 0xFE, 0, 0, 0x11, 0xF5, 1, 0}), Code::UTF32,
       QStringLiteral("\U0001F511"), TextEncoding::UTF32LE},
      {"utf-32le strips its mark", bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0}), Code::UTF32LE,
       QStringLiteral("a"), TextEncoding::UTF32LE},
      {"utf-32 past U+10FFFF", bytes({0, 0x11, 0, 0}), Code::UTF32BE, std::nullopt},
      {"utf-32 surrogate", bytes({0, 0xD8, 0, 0}), Code::UTF32LE, std::nullopt},
      {"utf-32 cut short", bytes({'a', 0, 0}), Code::UTF32LE, std::nullopt},
      // 8-bit.
      {"mac roman", QByteArray("caf\x8E"), Code::MacOSRoman, cafe, TextEncoding::MacOSRoman},
      {"mac roman euro and apple", QByteArray("\xDB\xF0"), Code::MacOSRoman,
       QStringLiteral("\u20AC\uF8FF"), TextEncoding::MacOSRoman},
      {"ascii", QByteArray("plain"), Code::ASCII, QStringLiteral("plain"), TextEncoding::ASCII},
      {"ascii refuses high bytes", QByteArray("caf\xE9"), Code::ASCII, std::nullopt},
      // Detection.
      {"auto utf-8", QByteArray("caf\xC3\xA9"), Code::Automatic, cafe},
      {"auto utf-8 mark",
       QByteArray("\xEF\xBB\xBF"
                  "a"),
       7, QStringLiteral("a")},
      {"auto utf-16le mark", bytes({0xFF, 0xFE, 'a', 0}), -3, QStringLiteral("a"),
       TextEncoding::UTF16LE},
      {"auto utf-32le mark before utf-16le", bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0}), 0,
       QStringLiteral("a"), TextEncoding::UTF32LE},
      {"auto utf-16le without mark", bytes({'a', 0, 'b', 0, 0xE9, 0}), 0,
       QStringLiteral("ab\u00E9"), TextEncoding::UTF16LE},
      {"auto utf-16be without mark", bytes({0, 'a', 0, 'b'}), 0, QStringLiteral("ab"),
       TextEncoding::UTF16BE},
      {"auto utf-32le without mark", bytes({'a', 0, 0, 0, 'b', 0, 0, 0}), 0, QStringLiteral("ab"),
       TextEncoding::UTF32LE},
      {"auto utf-32be without mark", bytes({0, 0, 0, 'a', 0, 0, 0, 'b'}), 0, QStringLiteral("ab"),
       TextEncoding::UTF32BE},
      {"auto windows-1252 accents", QByteArray("caf\xE9 M\xFCller"), 0,
       QStringLiteral("caf\u00E9 M\u00FCller"), TextEncoding::Windows1252},
      {"auto windows-1252 euro", QByteArray("12,50 \x80 Geb\xFChr"), 0,
       QStringLiteral("12,50 \u20AC Geb\u00FChr"), TextEncoding::Windows1252},
      {"auto tie goes to windows-1252", QByteArray("Pa\xA7\xA7w0rd 50 \x80"), 0,
       QStringLiteral("Pa\u00A7\u00A7w0rd 50 \u20AC"), TextEncoding::Windows1252},
      {"windows-1252 named", QByteArray("Pa\xA7\xA7w0rd"), Code::Windows1252,
       QStringLiteral("Pa\u00A7\u00A7w0rd"), TextEncoding::Windows1252},
      {"windows-1252 undefined byte", QByteArray("a\x81"), Code::Windows1252, std::nullopt},
      {"auto mac roman accents", QByteArray("caf\x8E cr\x8Fme"), 0,
       QStringLiteral("caf\u00E9 cr\u00E8me"), TextEncoding::MacOSRoman},
      {"auto mac roman apostrophe", QByteArray("don\xD5t"), 0, QStringLiteral("don\u2019t"),
       TextEncoding::MacOSRoman},
      {"auto a few zero bytes stay utf-8", QByteArray("a\0b\0c", 5), 0,
       QString::fromUtf16(u"a\0b\0c", 5)},
      {"auto stray zero is not utf-16", QByteArray("name,url\0,note,x", 16), 0,
       QString::fromUtf16(u"name,url\0,note,x", 16)},
      {"auto utf-8 with a zero byte", QByteArray("Name,Password\nZ\xC3\xBCrich,pass\0word\n", 32),
       0, QString::fromUtf16(u"Name,Password\nZ\u00FCrich,pass\0word\n", 31)},
      {"auto mac roman umlaut after a capital", QByteArray("M\x9Fller,Z\x9Frich"), 0,
       QStringLiteral("M\u00FCller,Z\u00FCrich"), TextEncoding::MacOSRoman},
      {"auto empty", QByteArray(), 0, QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto read = Reader::autoReadFromData(c.input, c.code);
    if (!c.text) {
      ASSERT_FALSE(read);
      EXPECT_EQ(read.failure().reason, ImportError::Reason::NotInEncoding);
      EXPECT_TRUE(read.error().contains(TextEncodingCode::name(c.code)))
          << read.error().toStdString();
      continue;
    }
    ASSERT_TRUE(read) << read.error().toStdString();
    EXPECT_EQ(read.value().string, *c.text);
    EXPECT_EQ(read.value().encoding, c.encoding)
        << textEncodingName(read.value().encoding).toStdString();
  }
}

// The bytes of the text in Windows-1252: Latin-1 and its "œ".
QByteArray windows1252(const QString& text) {
  QByteArray out = text.toLatin1();
  for (qsizetype i = 0; i < text.size(); ++i)
    if (text[i] == u'\u0153') out[i] = char(0x9C);
  return out;
}

// Real words, each read alone from an 8-bit file in either encoding, come back as written;
// where neither reading is odd ("Österreich", "æble" in Mac OS Roman) Windows-1252 wins.
TEST(TextReaderTest, EightBitWordsReadInTheEncodingTheyWereWrittenIn) {
  const struct {
    const char* language;
    const char16_t* word;
    bool fromMac = true;  // decided when written in Mac OS Roman
  } words[] = {
      {"German", u"M\u00FCller"},
      {"German", u"Z\u00FCrich"},
      {"German", u"Stra\u00DFe"},
      {"German", u"K\u00F6ln"},
      {"German", u"Gr\u00F6\u00DFe"},
      {"German", u"M\u00E4dchen"},
      {"German", u"\u00D6sterreich", false},
      {"French", u"caf\u00E9"},
      {"French", u"cr\u00E8me br\u00FBl\u00E9e"},
      {"French", u"gar\u00E7on"},
      {"French", u"c\u0153ur"},
      {"French", u"No\u00EBl"},
      {"French", u"h\u00F4tel"},
      {"French", u"d\u00E9j\u00E0"},
      {"Spanish", u"Espa\u00F1a"},
      {"Spanish", u"Mar\u00EDa"},
      {"Spanish", u"Ra\u00FAl"},
      {"Spanish", u"coraz\u00F3n"},
      {"Spanish", u"Per\u00FA"},
      {"Spanish", u"\u00BFQu\u00E9?"},
      {"Danish", u"Bj\u00F8rn"},
      {"Danish", u"K\u00F8benhavn"},
      {"Danish", u"K\u00E6rlighed"},
      {"Swedish", u"G\u00F6teborg"},
      {"Swedish", u"Malm\u00F6"},
      {"Swedish", u"\u00C5rhus"},
      {"Swedish", u"\u00E5r"},
      {"Danish", u"\u00E6ble", false},
      {"Norwegian", u"H\u00E5kon"},
      {"Norwegian", u"sm\u00F8rbr\u00F8d"},
      {"Finnish", u"p\u00E4\u00E4sy"},
  };
  for (const auto& w : words) {
    const QString word = QString::fromUtf16(w.word);
    SCOPED_TRACE(std::string(w.language) + " " + word.toStdString());
    const std::optional<QByteArray> mac = MacRoman::encode(word);
    ASSERT_TRUE(mac);
    auto fromMac = Reader::autoReadFromData(*mac, TextEncodingCode::Automatic);
    ASSERT_TRUE(fromMac);
    if (w.fromMac) {
      EXPECT_EQ(fromMac.value().string, word);
      EXPECT_EQ(fromMac.value().encoding, TextEncoding::MacOSRoman);
    } else {
      EXPECT_EQ(fromMac.value().encoding, TextEncoding::Windows1252);
    }
    auto fromWindows = Reader::autoReadFromData(windows1252(word), TextEncodingCode::Automatic);
    ASSERT_TRUE(fromWindows);
    EXPECT_EQ(fromWindows.value().string, word);
    EXPECT_EQ(fromWindows.value().encoding, TextEncoding::Windows1252);
  }
}

TEST(TextReaderTest, LineEndsBecomeLineFeeds) {
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {{u"a\r\nb\rc\nd", u"a\nb\nc\nd"}, {u"a\r\r\nb", u"a\n\nb"},
               {u"a\n\rb", u"a\n\nb"},           {u"\r", u"\n"},
               {u"no ends", u"no ends"},         {u"", u""}};
  for (const auto& c : cases) {
    QString s = QString::fromUtf16(c.in);
    QString& same = Reader::replaceStringWithNewline(s);
    EXPECT_EQ(&same, &s);
    EXPECT_EQ(s, QString::fromUtf16(c.out));
  }
}

TEST(TextReaderTest, FilesThatCannotBeTakenSayWhy) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto missing = Reader::autoReadFromFile(dir.filePath(QStringLiteral("none.csv")), 0);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.failure().reason, ImportError::Reason::Unreadable);
  EXPECT_FALSE(missing.error().isEmpty());

  auto folder = Reader::autoReadFromFile(dir.path(), 0);
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.failure().reason, ImportError::Reason::Unreadable);

  // A sparse file just over the limit: refused before anything is read.
  QFile huge(dir.filePath(QStringLiteral("huge.csv")));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  ASSERT_TRUE(huge.resize(Reader::kMaxFileSize + 1));
  huge.close();
  auto tooLarge = Reader::autoReadFromFile(huge.fileName(), 0);
  ASSERT_FALSE(tooLarge);
  EXPECT_EQ(tooLarge.failure().reason, ImportError::Reason::TooLarge);
  EXPECT_TRUE(tooLarge.error().contains(QStringLiteral("64 MiB")));

  QFile small(dir.filePath(QStringLiteral("small.txt")));
  ASSERT_TRUE(small.open(QIODevice::WriteOnly));
  small.write(
      "\xFF\xFE"
      "a\0",
      4);
  small.close();
  auto read = Reader::autoReadFromFile(small.fileName(), TextEncodingCode::UTF16);
  ASSERT_TRUE(read) << read.error().toStdString();
  EXPECT_EQ(read.value().string, QStringLiteral("a"));
}
}  // namespace
