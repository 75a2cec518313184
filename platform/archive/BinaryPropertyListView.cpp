#include "platform/archive/BinaryPropertyListView.h"

#include <cstring>

double BinaryPropertyListView::Object::number() const {
  if (type == Type::Real) return real();
  return isUnsigned ? static_cast<double>(bits) : static_cast<double>(static_cast<qint64>(bits));
}

Result<BinaryPropertyListView::Trailer> BinaryPropertyListView::trailer(const char* last,
                                                                        quint64 size) {
  Trailer t;
  t.offsetSize = static_cast<unsigned char>(last[6]);
  t.refSize = static_cast<unsigned char>(last[7]);
  t.objectCount = bigEndian(last + 8, 8);
  t.topObject = bigEndian(last + 16, 8);
  t.offsetTableOffset = bigEndian(last + 24, 8);

  const quint64 at = size - kTrailerSize;
  auto trailerError = [&](const QString& what) {
    return Failure{
        QStringLiteral("binary property list: trailer at offset %1: %2").arg(at).arg(what)};
  };
  if (t.offsetSize < 1 || t.offsetSize > 8 || t.refSize < 1 || t.refSize > 8)
    return trailerError(QStringLiteral("offset size %1, reference size %2 out of 1..8")
                            .arg(t.offsetSize)
                            .arg(t.refSize));
  if (t.objectCount < 1) return trailerError(QStringLiteral("no objects"));
  if (t.topObject >= t.objectCount)
    return trailerError(
        QStringLiteral("top object %1 of %2 objects").arg(t.topObject).arg(t.objectCount));
  if (t.offsetTableOffset < kHeaderSize + 1 || t.offsetTableOffset > at)
    return trailerError(QStringLiteral("offset table at %1").arg(t.offsetTableOffset));
  // The offset table must exactly fill the space up to the trailer; dividing avoids overflow.
  const quint64 tableBytes = at - t.offsetTableOffset;
  if (tableBytes % static_cast<quint64>(t.offsetSize) != 0 ||
      tableBytes / static_cast<quint64>(t.offsetSize) != t.objectCount)
    return trailerError(QStringLiteral("%1 objects do not fill an offset table of %2 bytes")
                            .arg(t.objectCount)
                            .arg(tableBytes));
  // A reference must be able to name every object.
  if (t.refSize < 8 && (t.objectCount - 1) >> (8 * t.refSize) != 0)
    return trailerError(QStringLiteral("reference size %1 too small for %2 objects")
                            .arg(t.refSize)
                            .arg(t.objectCount));
  return t;
}

Result<BinaryPropertyListView> BinaryPropertyListView::open(const QByteArray& bytes) {
  const auto size = static_cast<quint64>(bytes.size());
  if (size < kHeaderSize + 1 + kTrailerSize)
    return Failure{QStringLiteral("binary property list: %1 bytes is too short").arg(size)};
  if (std::memcmp(bytes.constData(), "bplist00", 8) != 0)
    return Failure{QStringLiteral("binary property list: not a bplist00 header")};
  Result<Trailer> t = trailer(bytes.constData() + (size - kTrailerSize), size);
  if (!t) return t.failure();

  BinaryPropertyListView view(bytes);
  view.offsetSize_ = t.value().offsetSize;
  view.refSize_ = t.value().refSize;
  view.objectCount_ = t.value().objectCount;
  view.topObject_ = t.value().topObject;
  view.offsetTableOffset_ = t.value().offsetTableOffset;
  return view;
}

Failure BinaryPropertyListView::fail(quint64 index, quint64 offset, const QString& what) const {
  return Failure{QStringLiteral("binary property list: %1 (object %2 at offset %3)")
                     .arg(what)
                     .arg(index)
                     .arg(offset)};
}

Result<quint64> BinaryPropertyListView::count(const Object& object, quint64& position,
                                              int info) const {
  if (info != 0xF) return static_cast<quint64>(info);
  // Counts of 15 and more follow as an integer object.
  if (position >= offsetTableOffset_)
    return fail(object.index, position, QStringLiteral("count missing"));
  const int marker = static_cast<unsigned char>(bytes_[position]);
  if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3)
    return fail(object.index, position, QStringLiteral("count is not an integer"));
  const int width = 1 << (marker & 0x0F);
  if (offsetTableOffset_ - position - 1 < static_cast<quint64>(width))
    return fail(object.index, position, QStringLiteral("count runs past the object area"));
  const quint64 n = readUnsigned(position + 1, width);
  if (width == 8 && n > static_cast<quint64>(INT64_MAX))
    return fail(object.index, position, QStringLiteral("negative count"));
  position += 1 + static_cast<quint64>(width);
  return n;
}

Result<BinaryPropertyListView::Object> BinaryPropertyListView::object(quint64 index) const {
  if (index >= objectCount_)
    return fail(index, 0, QStringLiteral("reference beyond %1 objects").arg(objectCount_));
  Object o;
  o.index = index;
  o.offset =
      readUnsigned(offsetTableOffset_ + index * static_cast<quint64>(offsetSize_), offsetSize_);
  if (o.offset < kHeaderSize || o.offset >= offsetTableOffset_)
    return fail(index, o.offset, QStringLiteral("offset outside the object area"));
  quint64 position = o.offset + 1;
  const int marker = static_cast<unsigned char>(bytes_[o.offset]);
  const int type = marker >> 4;
  const int info = marker & 0x0F;
  // Bytes left in the object area after the marker.
  auto left = [&] { return offsetTableOffset_ - position; };
  auto bad = [&](const QString& what) { return fail(index, o.offset, what); };
  // The failure's text is built only on failure.
  auto counted = [&](Type t, quint64 unit, const char* what) -> Result<Object> {
    auto n = count(o, position, info);
    if (!n) return Failure{n.error()};
    if (n.value() > left() / unit) return bad(QString::fromLatin1(what));
    o.type = t;
    o.count = n.value();
    o.payload = position;
    return o;
  };

  switch (type) {
    case 0x0:
      if (marker == 0x00) return o;
      if (marker == 0x08 || marker == 0x09) {
        o.type = Type::Boolean;
        o.bits = marker == 0x09;
        return o;
      }
      return bad(QStringLiteral("unsupported marker 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
    case 0x1: {
      if (info > 4) return bad(QStringLiteral("integer of 2^%1 bytes").arg(info));
      const int width = 1 << info;
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated integer"));
      o.type = Type::Integer;
      if (width == 16) {
        // Only values that fit 64 bits: the high half must be a plain zero or sign extension.
        const quint64 high = readUnsigned(position, 8);
        o.bits = readUnsigned(position + 8, 8);
        if (high == 0) {
          o.isUnsigned = o.bits > static_cast<quint64>(INT64_MAX);
          return o;
        }
        if (high == ~quint64{0} && static_cast<qint64>(o.bits) < 0) return o;
        return bad(QStringLiteral("integer does not fit 64 bits"));
      }
      // 1, 2 and 4 bytes are unsigned, 8 bytes two's complement: the bits cover both.
      o.bits = readUnsigned(position, width);
      return o;
    }
    case 0x2: {
      if (info != 2 && info != 3) return bad(QStringLiteral("real of 2^%1 bytes").arg(info));
      const int width = 1 << info;
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated real"));
      const quint64 bits = readUnsigned(position, width);
      o.type = Type::Real;
      o.bits = width == 8 ? bits
                          : std::bit_cast<quint64>(static_cast<double>(
                                std::bit_cast<float>(static_cast<quint32>(bits))));
      return o;
    }
    case 0x3:
      if (info != 3) return bad(QStringLiteral("date marker 0x%1").arg(marker, 2, 16));
      if (left() < 8) return bad(QStringLiteral("truncated date"));
      o.type = Type::Date;
      o.bits = readUnsigned(position, 8);
      return o;
    case 0x4:
      return counted(Type::Data, 1, "data runs past the object area");
    case 0x5:
      return counted(Type::AsciiString, 1, "string runs past the object area");
    case 0x6:
      return counted(Type::Utf16String, 2, "string runs past the object area");
    case 0x8: {
      const int width = info + 1;
      if (width != 1 && width != 2 && width != 4 && width != 8)
        return bad(QStringLiteral("UID of %1 bytes").arg(width));
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated UID"));
      o.type = Type::Uid;
      o.bits = readUnsigned(position, width);
      if (o.bits > 0xFFFFFFFFu) return bad(QStringLiteral("UID %1 above 2^32 - 1").arg(o.bits));
      return o;
    }
    case 0xA:
    case 0xC: {
      auto n = count(o, position, info);
      if (!n) return Failure{n.error()};
      if (n.value() > left() / static_cast<quint64>(refSize_))
        return fail(index, position,
                    QStringLiteral("%1 references run past the object area").arg(n.value()));
      o.type = type == 0xA ? Type::Array : Type::Set;
      o.count = n.value();
      o.payload = position;
      return o;
    }
    case 0xD:
      // Both halves must fit before either is read.
      return counted(Type::Dictionary, 2 * static_cast<quint64>(refSize_),
                     "entries run past the object area");
    default:
      return bad(QStringLiteral("unsupported marker 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
  }
}

Failure BinaryPropertyListView::missingReference(const Object& container, quint64 i) const {
  const quint64 references =
      container.type == Type::Dictionary ? 2 * container.count : container.count;
  return fail(container.index, container.offset,
              QStringLiteral("no reference %1 of %2").arg(i).arg(references));
}

Failure BinaryPropertyListView::referenceBeyond(const Object& container, quint64 position,
                                                quint64 ref) const {
  return fail(container.index, position,
              QStringLiteral("reference %1 beyond %2 objects").arg(ref).arg(objectCount_));
}

Result<QString> BinaryPropertyListView::string(const Object& string) const {
  const char* p = bytes_ + string.payload;
  const auto length = static_cast<qsizetype>(string.count);
  if (string.type == Type::AsciiString) {
    unsigned char any = 0;
    for (qsizetype i = 0; i < length; ++i) any |= static_cast<unsigned char>(p[i]);
    if (any >= 0x80)
      return fail(string.index, string.offset, QStringLiteral("non-ASCII byte in an ASCII string"));
    return QString::fromLatin1(p, length);
  }
  QString s(length, Qt::Uninitialized);
  qFromBigEndian<char16_t>(p, length, s.data());
  return s;
}

QByteArray BinaryPropertyListView::data(const Object& data) const {
  return QByteArray(bytes_ + data.payload, static_cast<qsizetype>(data.count));
}

QByteArray BinaryPropertyListView::sharedData(const Object& data) const {
  QByteArray::DataPointer& whole = const_cast<QByteArray*>(block_)->data_ptr();
  // Raw data has no block to share.
  if (!whole.isMutable()) return this->data(data);
  whole.d_ptr()->ref();  // the part's own reference to the block
  return QByteArray(QByteArray::DataPointer(whole.d_ptr(), whole.data() + data.payload,
                                            static_cast<qsizetype>(data.count)));
}

bool BinaryPropertyListView::textEquals(const Object& string, QLatin1StringView text) const {
  if (string.count != static_cast<quint64>(text.size())) return false;
  const char* p = bytes_ + string.payload;
  if (string.type == Type::AsciiString) return std::memcmp(p, text.data(), text.size()) == 0;
  for (qsizetype i = 0; i < text.size(); ++i)
    if (qFromBigEndian<char16_t>(p + 2 * i) != text[i].unicode()) return false;
  return true;
}
