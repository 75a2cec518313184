#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// The 8-bit text encoding of the legacy documents and of their Blowfish keys.
class MacRoman {
 public:
  // One byte per UTF-16 unit; nothing when a character has no Mac OS Roman byte.
  static std::optional<QByteArray> encode(QStringView text);
  // Every byte maps to one character, so decoding cannot fail.
  static QString decode(QByteArrayView bytes);
};
