#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>

#include "platform/Dictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "vault/ZVCrypto.h"

// Writes older-format documents for tests, with the legacy engine's own encrypting
// operations, the way the old releases stored them.
namespace LegacyFileWriter {

inline const unsigned char kVector[ZVCrypto::kVectorLength] = {0x5e, 0x0c, 0x93, 0xa7,
                                                               0xd4, 0x1b, 0x68, 0xf2};

// A calibrated-RGB colour as the non-keyed archiver wrote it, in either byte order.
inline QByteArray colorArchive(float r, float g, float b, float a, bool bigEndian = false) {
  QByteArray out("\x04\x0b", 2);
  out += bigEndian ? "typedstream" : "streamtyped";
  out += bigEndian ? QByteArray("\x81\x03\xe8", 3) : QByteArray("\x81\xe8\x03", 3);
  out += QByteArray("\x84\x01@", 3);                      // the object's type, "@"
  out += QByteArray("\x84\x84\x84\x07NSColor\x00", 12);   // new object, new class
  out += QByteArray("\x84\x84\x08NSObject\x00\x85", 13);  // its superclass, end of chain
  out += QByteArray(
      "\x84\x01"
      "c\x01",
      4);  // colour space 1: calibrated RGB
  out += QByteArray(
      "\x84\x04"
      "ffff",
      6);
  for (float f : {r, g, b, a}) {
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    out += '\x83';
    char raw[4];
    if (bigEndian)
      qToBigEndian(bits, raw);
    else
      qToLittleEndian(bits, raw);
    out += QByteArray(raw, 4);
  }
  out += '\x86';
  return out;
}

// One entry of a stored record or category list: field name -> ciphertext.
class Entry {
 public:
  explicit Entry(const ZVCrypto& engine) : engine_(engine), d_(Dictionary::create()) {}
  Entry& text(const char* key, const QString& value) {
    return put(key, engine_.cryptString(value).value());
  }
  // Raw 8-bit bytes, for characters whose encoding matters.
  Entry& bytes(const char* key, const QByteArray& value) {
    return put(key, engine_.cryptData(value).value());
  }
  Entry& int32(const char* key, qint64 v) { return put(key, engine_.cryptLongToInt32(v).value()); }
  Entry& int64(const char* key, qint64 v) { return put(key, engine_.cryptLong(v).value()); }
  Entry& color(const char* key, const QByteArray& archive) { return bytes(key, archive); }
  DictRef dict() const { return d_; }

 private:
  Entry& put(const char* key, const QByteArray& cipherText) {
    d_->setValue(QString::fromLatin1(key), Value::data(cipherText));
    return *this;
  }
  const ZVCrypto& engine_;
  DictRef d_;
};

// The container of an older version with the given lists (either may be absent) and the
// window keys every older group may carry.
inline QByteArray document(quint64 version, const ArrayRef& records, const ArrayRef& categories) {
  auto d = Dictionary::create();
  d->setValue(QStringLiteral("appversion"), Value::unsignedInteger(version));
  const char* widths[] = {"passwordTableWidth", "emailTableWidth", "categoryTableWidth",
                          "nameTableWidth",     "urlTableWidth",   "accountTableWidth",
                          "userIDTableWidth"};
  for (int i = 0; i < 7; ++i) d->setValue(QString::fromLatin1(widths[i]), Value::real(50 + i));
  d->setValue(QStringLiteral("windowRecX"), Value::integer(10));
  d->setValue(QStringLiteral("windowRecY"), Value::integer(20));
  d->setValue(QStringLiteral("windowRecWidth"), Value::integer(700));
  d->setValue(QStringLiteral("windowRecHeight"), Value::integer(500));
  if (categories) d->setValue(QStringLiteral("catArray"), categories);
  if (records) d->setValue(QStringLiteral("dataArray"), records);
  return KeyedArchiver::archivedDataWithRootObject(Value(d)).value();
}

}  // namespace LegacyFileWriter
