#include "transfer/ZVSmartStringFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>

#include "platform/MacRoman.h"
#include "platform/crypto/SecureMemory.h"

namespace {
using Decoded = std::optional<QString>;

bool startsWith(QByteArrayView bytes, std::initializer_list<unsigned char> prefix) {
  if (bytes.size() < qsizetype(prefix.size())) return false;
  qsizetype i = 0;
  for (unsigned char b : prefix)
    if (static_cast<unsigned char>(bytes[i++]) != b) return false;
  return true;
}

// Writes decoded units into a block sized for the longest possible result, so the text
// is never moved (a move would leave a copy of the secrets behind).
class UnitWriter {
 public:
  explicit UnitWriter(qsizetype capacity) : text_(capacity, Qt::Uninitialized) {
    out_ = reinterpret_cast<char16_t*>(text_.data());
  }
  ~UnitWriter() { SecureMemory::wipe(text_); }
  void put(char16_t unit) { out_[used_++] = unit; }
  void putCodePoint(char32_t cp) {
    if (cp < 0x10000) {
      put(char16_t(cp));
      return;
    }
    put(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
    put(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
  }
  QString finish() {
    text_.truncate(used_);
    return std::exchange(text_, QString());
  }

 private:
  QString text_;
  char16_t* out_;
  qsizetype used_ = 0;
};

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
Decoded decodeUtf8(QByteArrayView bytes) {
  UnitWriter out(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      out.put(c);
      ++p;
      continue;
    }
    int more;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return std::nullopt;
    }
    if (end - p <= more) return std::nullopt;
    for (int i = 1; i <= more; ++i) {
      if ((p[i] & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return std::nullopt;
    if (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) return std::nullopt;
    out.putCodePoint(cp);
    p += more + 1;
  }
  return out.finish();
}

// UTF-16 with every surrogate paired.
Decoded decodeUtf16(QByteArrayView bytes, bool bigEndian, bool refuseNul) {
  if (bytes.size() % 2) return std::nullopt;
  UnitWriter out(bytes.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype units = bytes.size() / 2;
  const auto unitAt = [&](qsizetype i) {
    return bigEndian ? char16_t(p[2 * i] << 8 | p[2 * i + 1])
                     : char16_t(p[2 * i + 1] << 8 | p[2 * i]);
  };
  for (qsizetype i = 0; i < units; ++i) {
    const char16_t u = unitAt(i);
    if (u == 0 && refuseNul) return std::nullopt;
    if (u >= 0xDC00 && u <= 0xDFFF) return std::nullopt;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= units) return std::nullopt;
      const char16_t low = unitAt(i + 1);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      out.put(u);
      out.put(low);
      ++i;
      continue;
    }
    out.put(u);
  }
  return out.finish();
}

Decoded decodeUtf32(QByteArrayView bytes, bool bigEndian, bool refuseNul) {
  if (bytes.size() % 4) return std::nullopt;
  UnitWriter out(bytes.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (qsizetype i = 0; i < bytes.size(); i += 4) {
    const char32_t cp =
        bigEndian
            ? char32_t(p[i]) << 24 | char32_t(p[i + 1]) << 16 | char32_t(p[i + 2]) << 8 | p[i + 3]
            : char32_t(p[i + 3]) << 24 | char32_t(p[i + 2]) << 16 | char32_t(p[i + 1]) << 8 | p[i];
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp == 0 && refuseNul) return std::nullopt;
    out.putCodePoint(cp);
  }
  return out.finish();
}

Decoded decodeAscii(QByteArrayView bytes) {
  UnitWriter out(bytes.size());
  for (char b : bytes) {
    if (static_cast<unsigned char>(b) > 0x7F) return std::nullopt;
    out.put(char16_t(b));
  }
  return out.finish();
}

// Windows-1252's 0x80..0x9F; 0 marks the five bytes it leaves undefined.
constexpr std::array<char16_t, 32> kWindows1252C1 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t windows1252(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kWindows1252C1[b - 0x80] : char16_t(b);
}

char16_t macRoman(unsigned char b) {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    char all[256];
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    const QString decoded = MacRoman::decode(QByteArrayView(all, 256));
    for (int i = 0; i < 256; ++i) t[std::size_t(i)] = decoded.at(i).unicode();
    return t;
  }();
  return table[b];
}

Decoded decodeWindows1252(QByteArrayView bytes) {
  UnitWriter out(bytes.size());
  for (char b : bytes) {
    const char16_t u = windows1252(static_cast<unsigned char>(b));
    if (u == 0 && b != 0) return std::nullopt;
    out.put(u);
  }
  return out.finish();
}

// A letter of the Latin-1 and Latin Extended-A blocks, the letters of Western text.
bool isWesternLetter(QChar c) {
  const char16_t u = c.unicode();
  return u >= 0xC0 && u <= 0x17F && u != 0xD7 && u != 0xF7;
}

// Letters that Windows-1252 has for Czech, Estonian and Finnish loan words, seldom in the
// rest of Western text; "œ" is French, where "u" or "i" follows it ("cœur", "œil").
bool isRareLetter(QChar c, QChar next) {
  switch (c.unicode()) {
    case 0x152:
    case 0x153: {
      const char16_t n = next.toLower().unicode();
      return n != u'u' && n != u'i';
    }
    case 0x160:
    case 0x161:
    case 0x178:
    case 0x17D:
    case 0x17E:
      return true;
    default:
      return false;
  }
}

// Characters as one 8-bit encoding reads the bytes; a blank outside them.
template <typename Map>
class EightBitText {
 public:
  EightBitText(QByteArrayView bytes, Map map) : bytes_(bytes), map_(map) {}
  QChar operator()(qsizetype i) const {
    return i < 0 || i >= bytes_.size() ? QChar(u' ')
                                       : QChar(map_(static_cast<unsigned char>(bytes_[i])));
  }

 private:
  QByteArrayView bytes_;
  Map map_;
};

// Whether the right single quote at i is an apostrophe: after one or two letters ("l’été",
// "qu’il", "O’Brien") or before an English ending ("don’t", "we’re"). Between other letters
// it is more likely a letter of the other encoding ("Mar’a" is "María").
template <typename Text>
bool isApostrophe(const Text& at, qsizetype i) {
  qsizetype before = 0;
  while (before < 3 && at(i - 1 - before).isLetter()) ++before;
  if (before <= 2) return true;
  QString after;
  qsizetype j = i + 1;
  for (; after.size() < 3 && at(j).isLetter(); ++j) after += at(j).toLower();
  if (at(j).isLetter()) return false;
  for (const char* ending : {"s", "t", "d", "m", "ll", "re", "ve"})
    if (after == QLatin1String(ending)) return true;
  return false;
}

// How unlikely a character decoded from a byte above 127 is between its neighbours: 2 for
// what text does not hold: an upper-case letter after a lower-case one ("cafÈ") or between a
// letter and a lower-case one ("MŸller"), a symbol or a non-Western letter inside a word
// ("M¸ller"), a control character; 1 for a rare letter ("Kšln"); 0 for what reads as text.
template <typename Text>
int implausibility(const Text& at, qsizetype i) {
  const QChar prev = at(i - 1), c = at(i), next = at(i + 1);
  if (c.category() == QChar::Other_Control) return 2;
  if (isWesternLetter(c)) {
    const bool miscased = c.isUpper() && (prev.isLower() || (prev.isLetter() && next.isLower()));
    return (miscased ? 2 : 0) + (isRareLetter(c, next) ? 1 : 0);
  }
  if (c.isLetter()) return prev.isLetter() || next.isLetter() ? 2 : 0;
  if (!prev.isLetter() || !next.isLetter()) return 0;
  // Middle dots and soft hyphens belong inside words.
  const char16_t u = c.unicode();
  if (u == 0xB7 || u == 0xAD) return 0;
  if (u == 0x2019 && isApostrophe(at, i)) return 0;
  return 2;
}

template <typename Map>
qint64 implausibility(QByteArrayView bytes, Map map) {
  const EightBitText<Map> at(bytes, map);
  qint64 sum = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) sum += implausibility(at, i);
  return sum;
}

bool hasUndefinedWindows1252Byte(QByteArrayView bytes) {
  for (char b : bytes)
    if (b != 0 && windows1252(static_cast<unsigned char>(b)) == 0) return true;
  return false;
}

using Text = ZVSmartStringFileReader::Text;

std::optional<Text> as(Decoded decoded, TextEncoding encoding) {
  if (!decoded) return std::nullopt;
  return Text{std::move(*decoded), encoding};
}

// One attempt in the named encoding; a byte-order mark of that encoding is not text.
std::optional<Text> decodeExplicit(QByteArrayView bytes, qint32 code) {
  using namespace TextEncodingCode;
  const bool be16 = startsWith(bytes, {0xFE, 0xFF}), le16 = startsWith(bytes, {0xFF, 0xFE});
  const bool be32 = startsWith(bytes, {0, 0, 0xFE, 0xFF}),
             le32 = startsWith(bytes, {0xFF, 0xFE, 0, 0});
  switch (code) {
    case UTF8:
      if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) bytes = bytes.sliced(3);
      return as(decodeUtf8(bytes), TextEncoding::UTF8);
    case UTF16:
      if (le16) return as(decodeUtf16(bytes.sliced(2), false, false), TextEncoding::UTF16LE);
      return as(decodeUtf16(be16 ? bytes.sliced(2) : bytes, true, false), TextEncoding::UTF16BE);
    case UTF16BE:
      return as(decodeUtf16(be16 ? bytes.sliced(2) : bytes, true, false), TextEncoding::UTF16BE);
    case UTF16LE:
      return as(decodeUtf16(le16 ? bytes.sliced(2) : bytes, false, false), TextEncoding::UTF16LE);
    case UTF32:
      if (le32) return as(decodeUtf32(bytes.sliced(4), false, false), TextEncoding::UTF32LE);
      return as(decodeUtf32(be32 ? bytes.sliced(4) : bytes, true, false), TextEncoding::UTF32BE);
    case UTF32BE:
      return as(decodeUtf32(be32 ? bytes.sliced(4) : bytes, true, false), TextEncoding::UTF32BE);
    case UTF32LE:
      return as(decodeUtf32(le32 ? bytes.sliced(4) : bytes, false, false), TextEncoding::UTF32LE);
    case MacOSRoman:
      return Text{MacRoman::decode(bytes), TextEncoding::MacOSRoman};
    case Windows1252:
      return as(decodeWindows1252(bytes), TextEncoding::Windows1252);
    case ASCII:
      return as(decodeAscii(bytes), TextEncoding::ASCII);
  }
  return std::nullopt;
}

// UTF-16 and UTF-32 without a byte-order mark, told by where their zero bytes fall.
std::optional<Text> decodeByZeroBytes(QByteArrayView bytes) {
  std::array<qsizetype, 4> zeros{};
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (bytes[i] == 0) ++zeros[std::size_t(i % 4)];
  if (zeros[0] + zeros[1] + zeros[2] + zeros[3] == 0) return std::nullopt;
  if (bytes.size() % 4 == 0) {
    const qsizetype units = bytes.size() / 4;
    if (zeros[3] == units)
      if (auto t = as(decodeUtf32(bytes, false, true), TextEncoding::UTF32LE)) return t;
    if (zeros[0] == units)
      if (auto t = as(decodeUtf32(bytes, true, true), TextEncoding::UTF32BE)) return t;
  }
  if (bytes.size() % 2) return std::nullopt;
  // Western UTF-16 has a zero in most units, on one side only; a stray zero byte in 8-bit
  // or UTF-8 text is not enough.
  const qsizetype units = bytes.size() / 2;
  const qsizetype even = zeros[0] + zeros[2], odd = zeros[1] + zeros[3];
  if (odd >= units / 4 && odd > 4 * even)
    return as(decodeUtf16(bytes, false, true), TextEncoding::UTF16LE);
  if (even >= units / 4 && even > 4 * odd)
    return as(decodeUtf16(bytes, true, true), TextEncoding::UTF16BE);
  return std::nullopt;
}

Text decodeDetected(QByteArrayView bytes) {
  if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
    if (auto t = as(decodeUtf8(bytes.sliced(3)), TextEncoding::UTF8)) return std::move(*t);
  if (startsWith(bytes, {0, 0, 0xFE, 0xFF}))
    if (auto t = as(decodeUtf32(bytes.sliced(4), true, false), TextEncoding::UTF32BE))
      return std::move(*t);
  if (startsWith(bytes, {0xFF, 0xFE, 0, 0}))
    if (auto t = as(decodeUtf32(bytes.sliced(4), false, false), TextEncoding::UTF32LE))
      return std::move(*t);
  if (startsWith(bytes, {0xFE, 0xFF}))
    if (auto t = as(decodeUtf16(bytes.sliced(2), true, false), TextEncoding::UTF16BE))
      return std::move(*t);
  if (startsWith(bytes, {0xFF, 0xFE}))
    if (auto t = as(decodeUtf16(bytes.sliced(2), false, false), TextEncoding::UTF16LE))
      return std::move(*t);
  if (auto t = decodeByZeroBytes(bytes)) return std::move(*t);
  // A few zero bytes, too few for UTF-16, do not make valid UTF-8 something else.
  if (auto t = as(decodeUtf8(bytes), TextEncoding::UTF8)) return std::move(*t);
  // 8-bit text: Mac OS Roman reads every byte, but on this desktop Windows-1252 is the likelier
  // of the two: it wins unless Mac OS Roman reads more plausibly ("M\x9Fller" is "Müller",
  // not "MŸller"), and where both read alike ("Pa\xA7\xA7w0rd" is "Pa§§w0rd", not
  // "Paßßw0rd"). Text of 7-bit bytes reads the same in both.
  const bool eightBit = std::any_of(bytes.begin(), bytes.end(),
                                    [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
  if (eightBit && !hasUndefinedWindows1252Byte(bytes) &&
      implausibility(bytes, windows1252) <= implausibility(bytes, macRoman))
    if (auto t = as(decodeWindows1252(bytes), TextEncoding::Windows1252)) return std::move(*t);
  return Text{MacRoman::decode(bytes), TextEncoding::MacOSRoman};
}
}  // namespace

Result<ZVSmartStringFileReader::Text, ImportError> ZVSmartStringFileReader::autoReadFromData(
    QByteArrayView bytes, qint32 code) {
  if (!TextEncodingCode::isExplicit(code)) return decodeDetected(bytes);
  if (auto text = decodeExplicit(bytes, code)) return std::move(*text);
  return ImportError{
      ImportError::Reason::NotInEncoding,
      QStringLiteral("The file is not valid %1 text.").arg(TextEncodingCode::name(code))};
}

Result<ZVSmartStringFileReader::Text, ImportError> ZVSmartStringFileReader::autoReadFromFile(
    const QString& path, qint32 code) {
  const auto tooLarge = [] {
    return ImportError{ImportError::Reason::TooLarge,
                       QStringLiteral("The file is larger than 64 MiB, the most that can be "
                                      "imported at once. Split it into smaller files.")};
  };
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    return ImportError{ImportError::Reason::Unreadable,
                       QStringLiteral("It is not a regular file.")};
  if (info.size() > kMaxFileSize) return tooLarge();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return ImportError{ImportError::Reason::Unreadable, file.errorString()};
  // One block of the size found, one byte more to notice a file that grew meanwhile.
  const qint64 size = file.size();
  if (size > kMaxFileSize) return tooLarge();
  WipedBytes bytes{QByteArray(size + 1, Qt::Uninitialized)};
  qint64 done = 0;
  while (done < bytes.bytes.size()) {
    const qint64 got = file.read(bytes.bytes.data() + done, bytes.bytes.size() - done);
    if (got < 0) return ImportError{ImportError::Reason::Unreadable, file.errorString()};
    if (got == 0) break;
    done += got;
  }
  if (done > size)
    return ImportError{ImportError::Reason::Unreadable,
                       QStringLiteral("The file changed while it was being read.")};
  return autoReadFromData(QByteArrayView(bytes.bytes.constData(), done), code);
}

QString& ZVSmartStringFileReader::replaceStringWithNewline(QString& string) {
  const qsizetype size = string.size();
  if (string.indexOf(u'\r') < 0) return string;
  QChar* data = string.data();
  qsizetype out = 0;
  for (qsizetype i = 0; i < size; ++i) {
    if (data[i] == u'\r') {
      data[out++] = u'\n';
      if (i + 1 < size && data[i + 1] == u'\n') ++i;
    } else {
      data[out++] = data[i];
    }
  }
  string.truncate(out);
  return string;
}
