#include "transfer/TextEncoding.h"

bool TextEncodingCode::isExplicit(qint32 code) {
  switch (code) {
    case UTF8:
    case UTF16:
    case UTF16BE:
    case UTF16LE:
    case UTF32:
    case UTF32BE:
    case UTF32LE:
    case MacOSRoman:
    case Windows1252:
    case ASCII:
      return true;
    default:
      return false;
  }
}

QString TextEncodingCode::name(qint32 code) {
  switch (code) {
    case UTF8:
      return QStringLiteral("UTF-8");
    case UTF16:
      return QStringLiteral("UTF-16");
    case UTF16BE:
      return QStringLiteral("UTF-16 (big-endian)");
    case UTF16LE:
      return QStringLiteral("UTF-16 (little-endian)");
    case UTF32:
      return QStringLiteral("UTF-32");
    case UTF32BE:
      return QStringLiteral("UTF-32 (big-endian)");
    case UTF32LE:
      return QStringLiteral("UTF-32 (little-endian)");
    case MacOSRoman:
      return QStringLiteral("Mac OS Roman");
    case Windows1252:
      return QStringLiteral("Windows-1252 (Western)");
    case ASCII:
      return QStringLiteral("ASCII");
    default:
      return QStringLiteral("Automatic");
  }
}

QString textEncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::UTF8:
      return TextEncodingCode::name(TextEncodingCode::UTF8);
    case TextEncoding::UTF16BE:
      return TextEncodingCode::name(TextEncodingCode::UTF16BE);
    case TextEncoding::UTF16LE:
      return TextEncodingCode::name(TextEncodingCode::UTF16LE);
    case TextEncoding::UTF32BE:
      return TextEncodingCode::name(TextEncodingCode::UTF32BE);
    case TextEncoding::UTF32LE:
      return TextEncodingCode::name(TextEncodingCode::UTF32LE);
    case TextEncoding::MacOSRoman:
      return TextEncodingCode::name(TextEncodingCode::MacOSRoman);
    case TextEncoding::Windows1252:
      return TextEncodingCode::name(TextEncodingCode::Windows1252);
    case TextEncoding::ASCII:
      return TextEncodingCode::name(TextEncodingCode::ASCII);
  }
  return {};
}
