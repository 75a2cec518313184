#include "platform/BinaryPropertyListReader.h"

#include <bit>

namespace {
constexpr quint64 kHeaderSize = 8;
constexpr quint64 kTrailerSize = 32;

}  // namespace

Result<PropertyListRef> BinaryPropertyListReader::read(const QByteArray& bytes) {
  BinaryPropertyListReader reader(bytes);
  return reader.readAll();
}

quint64 BinaryPropertyListReader::readUnsigned(quint64 position, int width) const {
  quint64 v = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData()) + position;
  for (int i = 0; i < width; ++i) v = (v << 8) | p[i];
  return v;
}

Failure BinaryPropertyListReader::fail(quint64 index, quint64 position, const QString& what) const {
  return Failure{QStringLiteral("binary property list: %1 (object %2 at offset %3)")
                     .arg(what)
                     .arg(index)
                     .arg(position)};
}

Result<PropertyListRef> BinaryPropertyListReader::readAll() {
  const auto size = static_cast<quint64>(bytes_.size());
  if (size < kHeaderSize + 1 + kTrailerSize)
    return Failure{QStringLiteral("binary property list: %1 bytes is too short").arg(size)};
  if (std::memcmp(bytes_.constData(), "bplist00", 8) != 0)
    return Failure{QStringLiteral("binary property list: not a bplist00 header")};

  const quint64 trailer = size - kTrailerSize;
  offsetSize_ = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(trailer + 6)]);
  refSize_ = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(trailer + 7)]);
  objectCount_ = readUnsigned(trailer + 8, 8);
  topObject_ = readUnsigned(trailer + 16, 8);
  offsetTableOffset_ = readUnsigned(trailer + 24, 8);

  auto trailerError = [&](const QString& what) {
    return Failure{
        QStringLiteral("binary property list: trailer at offset %1: %2").arg(trailer).arg(what)};
  };
  if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
    return trailerError(QStringLiteral("offset size %1, reference size %2 out of 1..8")
                            .arg(offsetSize_)
                            .arg(refSize_));
  if (objectCount_ < 1) return trailerError(QStringLiteral("no objects"));
  if (topObject_ >= objectCount_)
    return trailerError(
        QStringLiteral("top object %1 of %2 objects").arg(topObject_).arg(objectCount_));
  if (offsetTableOffset_ < kHeaderSize + 1 || offsetTableOffset_ > trailer)
    return trailerError(QStringLiteral("offset table at %1").arg(offsetTableOffset_));
  // The offset table must exactly fill the space up to the trailer; dividing avoids overflow.
  const quint64 tableBytes = trailer - offsetTableOffset_;
  if (tableBytes % static_cast<quint64>(offsetSize_) != 0 ||
      tableBytes / static_cast<quint64>(offsetSize_) != objectCount_)
    return trailerError(QStringLiteral("%1 objects do not fill an offset table of %2 bytes")
                            .arg(objectCount_)
                            .arg(tableBytes));
  // A reference must be able to name every object.
  if (refSize_ < 8 && (objectCount_ - 1) >> (8 * refSize_) != 0)
    return trailerError(QStringLiteral("reference size %1 too small for %2 objects")
                            .arg(refSize_)
                            .arg(objectCount_));

  decoded_.resize(objectCount_);
  state_.assign(objectCount_, 0);
  return object(topObject_, 0);
}

Result<quint64> BinaryPropertyListReader::offsetOfObject(quint64 index) const {
  const quint64 offset =
      readUnsigned(offsetTableOffset_ + index * static_cast<quint64>(offsetSize_), offsetSize_);
  if (offset < kHeaderSize || offset >= offsetTableOffset_)
    return fail(index, offset, QStringLiteral("offset outside the object area"));
  return offset;
}

Result<PropertyListRef> BinaryPropertyListReader::object(quint64 index, int depth) {
  if (index >= objectCount_)
    return fail(index, 0, QStringLiteral("reference beyond %1 objects").arg(objectCount_));
  if (state_[index] == 2) return decoded_[index];
  if (state_[index] == 1) return fail(index, 0, QStringLiteral("object contains itself"));
  if (depth > kMaxDepth)
    return fail(index, 0, QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  state_[index] = 1;
  auto result = parseObject(index, depth);
  if (!result) return result;
  state_[index] = 2;
  decoded_[index] = result.value();
  return result;
}

Result<quint64> BinaryPropertyListReader::count(quint64 index, quint64& position, int info) const {
  if (info != 0xF) return static_cast<quint64>(info);
  // Counts of 15 and more follow as an integer object.
  if (position >= offsetTableOffset_) return fail(index, position, QStringLiteral("count missing"));
  const int marker = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(position)]);
  if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3)
    return fail(index, position, QStringLiteral("count is not an integer"));
  const int width = 1 << (marker & 0x0F);
  if (offsetTableOffset_ - position - 1 < static_cast<quint64>(width))
    return fail(index, position, QStringLiteral("count runs past the object area"));
  const quint64 n = readUnsigned(position + 1, width);
  if (width == 8 && n > static_cast<quint64>(INT64_MAX))
    return fail(index, position, QStringLiteral("negative count"));
  position += 1 + static_cast<quint64>(width);
  return n;
}

Result<std::vector<PropertyListRef>> BinaryPropertyListReader::references(quint64 index,
                                                                          quint64& position,
                                                                          quint64 n, int depth) {
  const auto refSize = static_cast<quint64>(refSize_);
  if (n > (offsetTableOffset_ - position) / refSize)
    return fail(index, position, QStringLiteral("%1 references run past the object area").arg(n));
  std::vector<PropertyListRef> items;
  items.reserve(n);
  for (quint64 i = 0; i < n; ++i, position += refSize) {
    const quint64 ref = readUnsigned(position, refSize_);
    if (ref >= objectCount_)
      return fail(index, position,
                  QStringLiteral("reference %1 beyond %2 objects").arg(ref).arg(objectCount_));
    auto item = object(ref, depth + 1);
    if (!item) return Failure{item.error()};
    items.push_back(item.take());
  }
  return items;
}

Result<PropertyListRef> BinaryPropertyListReader::parseObject(quint64 index, int depth) {
  auto offset = offsetOfObject(index);
  if (!offset) return Failure{offset.error()};
  const quint64 start = offset.value();
  quint64 position = start + 1;
  const int marker = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(start)]);
  const int type = marker >> 4;
  const int info = marker & 0x0F;
  // Bytes left in the object area after the marker.
  auto left = [&] { return offsetTableOffset_ - position; };
  auto bad = [&](const QString& what) { return fail(index, start, what); };

  switch (type) {
    case 0x0:
      if (marker == 0x00) return PropertyListObject::null();
      if (marker == 0x08 || marker == 0x09) return PropertyListObject::boolean(marker == 0x09);
      return bad(QStringLiteral("unsupported marker 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
    case 0x1: {
      if (info > 4) return bad(QStringLiteral("integer of 2^%1 bytes").arg(info));
      const int width = 1 << info;
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated integer"));
      if (width == 16) {
        // Only values that fit 64 bits: the high half must be a plain zero or sign extension.
        const quint64 high = readUnsigned(position, 8);
        const quint64 low = readUnsigned(position + 8, 8);
        if (high == 0) return PropertyListObject::unsignedInteger(low);
        if (high == ~quint64{0} && static_cast<qint64>(low) < 0)
          return PropertyListObject::integer(static_cast<qint64>(low));
        return bad(QStringLiteral("integer does not fit 64 bits"));
      }
      // 1, 2 and 4 bytes are unsigned, 8 bytes two's complement: the cast covers both.
      return PropertyListObject::integer(static_cast<qint64>(readUnsigned(position, width)));
    }
    case 0x2: {
      if (info != 2 && info != 3) return bad(QStringLiteral("real of 2^%1 bytes").arg(info));
      const int width = 1 << info;
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated real"));
      const quint64 bits = readUnsigned(position, width);
      return PropertyListObject::real(width == 4 ? std::bit_cast<float>(static_cast<quint32>(bits))
                                                 : std::bit_cast<double>(bits));
    }
    case 0x3:
      if (info != 3) return bad(QStringLiteral("date marker 0x%1").arg(marker, 2, 16));
      if (left() < 8) return bad(QStringLiteral("truncated date"));
      return PropertyListObject::date(std::bit_cast<double>(readUnsigned(position, 8)));
    case 0x4:
    case 0x5:
    case 0x6: {
      auto n = count(index, position, info);
      if (!n) return Failure{n.error()};
      const quint64 unit = type == 0x6 ? 2 : 1;
      if (n.value() > left() / unit)
        return bad(QStringLiteral("%1 runs past the object area")
                       .arg(type == 0x4 ? QStringLiteral("data") : QStringLiteral("string")));
      const char* p = bytes_.constData() + position;
      const auto length = static_cast<qsizetype>(n.value());
      if (type == 0x4) return PropertyListObject::data(QByteArray(p, length));
      if (type == 0x5) {
        for (qsizetype i = 0; i < length; ++i)
          if (static_cast<unsigned char>(p[i]) >= 0x80)
            return bad(QStringLiteral("non-ASCII byte in an ASCII string"));
        return PropertyListObject::string(QString::fromLatin1(p, length));
      }
      QString s(length, Qt::Uninitialized);
      auto* out = s.data();
      for (qsizetype i = 0; i < length; ++i)
        out[i] =
            QChar(static_cast<char16_t>(readUnsigned(position + 2 * static_cast<quint64>(i), 2)));
      return PropertyListObject::string(std::move(s));
    }
    case 0x8: {
      const int width = info + 1;
      if (width != 1 && width != 2 && width != 4 && width != 8)
        return bad(QStringLiteral("UID of %1 bytes").arg(width));
      if (left() < static_cast<quint64>(width)) return bad(QStringLiteral("truncated UID"));
      const quint64 v = readUnsigned(position, width);
      if (v > 0xFFFFFFFFu) return bad(QStringLiteral("UID %1 above 2^32 - 1").arg(v));
      return PropertyListObject::uid(static_cast<quint32>(v));
    }
    case 0xA:
    case 0xC: {
      auto n = count(index, position, info);
      if (!n) return Failure{n.error()};
      auto items = references(index, position, n.value(), depth);
      if (!items) return Failure{items.error()};
      return type == 0xA ? PropertyListObject::array(items.take())
                         : PropertyListObject::set(items.take());
    }
    case 0xD: {
      auto n = count(index, position, info);
      if (!n) return Failure{n.error()};
      // Both halves must fit before either is read.
      if (n.value() > left() / (2 * static_cast<quint64>(refSize_)))
        return bad(QStringLiteral("%1 entries run past the object area").arg(n.value()));
      auto keys = references(index, position, n.value(), depth);
      if (!keys) return Failure{keys.error()};
      std::vector<QString> names;
      names.reserve(keys.value().size());
      for (const auto& key : keys.value()) {
        if (key->kind() != PropertyListObject::Kind::String)
          return bad(QStringLiteral("dictionary key is not a string"));
        names.push_back(key->stringValue());
      }
      auto values = references(index, position, n.value(), depth);
      if (!values) return Failure{values.error()};
      return PropertyListObject::dictionary(std::move(names), values.take());
    }
    default:
      return bad(QStringLiteral("unsupported marker 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
  }
}
