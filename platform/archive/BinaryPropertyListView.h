#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QtEndian>
#include <bit>
#include <optional>

#include "platform/Result.h"

// A binary property list ("bplist00") read in place: the header and trailer are checked once,
// then any object can be looked at by its index without building anything. Every size,
// offset and reference is checked against the bytes, so a damaged or hostile list gives an
// error naming what is wrong and where. The bytes must outlive the view.
class BinaryPropertyListView {
 public:
  enum class Type : quint8 {
    Null,
    Boolean,
    Integer,
    Real,
    Date,
    Data,
    AsciiString,
    Utf16String,
    Uid,
    Array,
    Set,
    Dictionary,
  };

  // One object's marker and extent; its content stays in the bytes.
  struct Object {
    Type type = Type::Null;
    bool isUnsigned = false;  // an integer above 2^63 - 1
    quint64 index = 0;
    quint64 offset = 0;  // of the marker
    // Booleans, integers and UIDs: the value; reals and dates: the bits of the double.
    quint64 bits = 0;
    // Data: bytes; strings: characters; arrays and sets: references; dictionaries: entries.
    quint64 count = 0;
    quint64 payload = 0;  // where the content or the references start

    bool isString() const { return type == Type::AsciiString || type == Type::Utf16String; }
    bool isNumber() const { return type == Type::Integer || type == Type::Real; }
    double real() const { return std::bit_cast<double>(bits); }
    // Integers and reals as a double.
    double number() const;
  };

  static constexpr quint64 kHeaderSize = 8;
  static constexpr quint64 kTrailerSize = 32;

  // What a list's last kTrailerSize bytes say of its layout.
  struct Trailer {
    int offsetSize = 0;
    int refSize = 0;
    quint64 objectCount = 0;
    quint64 topObject = 0;
    quint64 offsetTableOffset = 0;
  };
  // The trailer, checked against the size of the whole list alone: a file can be refused from
  // its last bytes before the rest is read.
  static Result<Trailer> trailer(const char* last, quint64 size);

  static Result<BinaryPropertyListView> open(const QByteArray& bytes);

  // An unsigned number of 1 to 8 bytes, most significant first, as offsets and references are.
  static quint64 bigEndian(const char* p, int width) {
    switch (width) {
      case 1:
        return static_cast<unsigned char>(*p);
      case 2:
        return qFromBigEndian<quint16>(p);
      case 4:
        return qFromBigEndian<quint32>(p);
      case 8:
        return qFromBigEndian<quint64>(p);
      default: {
        quint64 v = 0;
        for (int i = 0; i < width; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
        return v;
      }
    }
  }

  quint64 objectCount() const { return objectCount_; }
  quint64 topObject() const { return topObject_; }
  quint64 size() const { return size_; }

  Result<Object> object(quint64 index) const;
  // A container's reference at position i, below its count of them (a dictionary's keys
  // come first, then its values).
  Result<quint64> reference(const Object& container, quint64 i) const {
    const quint64 references =
        container.type == Type::Dictionary ? 2 * container.count : container.count;
    if (i >= references) return missingReference(container, i);
    const quint64 position = container.payload + i * static_cast<quint64>(refSize_);
    const quint64 ref = readUnsigned(position, refSize_);
    if (ref >= objectCount_) return referenceBeyond(container, position, ref);
    return ref;
  }
  // The value of a UID object, or nothing when the object is not a sound UID (object() says
  // why). Reads only its marker and value: lists of UIDs are most of an archive.
  std::optional<quint64> uid(quint64 index) const {
    if (index >= objectCount_) return std::nullopt;
    const quint64 offset =
        readUnsigned(offsetTableOffset_ + index * static_cast<quint64>(offsetSize_), offsetSize_);
    if (offset < kHeaderSize || offset >= offsetTableOffset_) return std::nullopt;
    const int marker = static_cast<unsigned char>(bytes_[offset]);
    const int width = (marker & 0x0F) + 1;
    if (marker >> 4 != 0x8 || (width != 1 && width != 2 && width != 4 && width != 8))
      return std::nullopt;
    if (offsetTableOffset_ - offset - 1 < static_cast<quint64>(width)) return std::nullopt;
    const quint64 value = readUnsigned(offset + 1, width);
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return value;
  }
  // The UID at a container's position i, or nothing when reference() or uid() would fail.
  std::optional<quint64> uidAt(const Object& container, quint64 i) const {
    const quint64 references =
        container.type == Type::Dictionary ? 2 * container.count : container.count;
    if (i >= references) return std::nullopt;
    return uid(readUnsigned(container.payload + i * static_cast<quint64>(refSize_), refSize_));
  }
  Result<QString> string(const Object& string) const;
  QByteArray data(const Object& data) const;
  // The same bytes as a part of the block the view was opened on, which they keep alive,
  // instead of a copy. Only for bytes nobody wipes: a wipe of plaintext would reach them.
  QByteArray sharedData(const Object& data) const;
  // Whether a string object holds exactly this text.
  bool textEquals(const Object& string, QLatin1StringView text) const;

  Q_DECL_COLD_FUNCTION Failure fail(quint64 index, quint64 offset, const QString& what) const;

 private:
  BinaryPropertyListView(const QByteArray& block)
      : block_(&block), bytes_(block.constData()), size_(static_cast<quint64>(block.size())) {}

  quint64 readUnsigned(quint64 position, int width) const {
    return bigEndian(bytes_ + position, width);
  }
  Q_DECL_COLD_FUNCTION Failure missingReference(const Object& container, quint64 i) const;
  Q_DECL_COLD_FUNCTION Failure referenceBeyond(const Object& container, quint64 position,
                                               quint64 ref) const;
  Result<quint64> count(const Object& object, quint64& position, int info) const;

  const QByteArray* block_;
  const char* bytes_;
  quint64 size_;
  int offsetSize_ = 0;
  int refSize_ = 0;
  quint64 objectCount_ = 0;
  quint64 topObject_ = 0;
  quint64 offsetTableOffset_ = 0;
};
