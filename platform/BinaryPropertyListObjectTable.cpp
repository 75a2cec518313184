#include "platform/BinaryPropertyListObjectTable.h"

#include <bit>

namespace {
int bytesFor(quint64 value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFFu) return 4;
  return 8;
}

bool isAscii(QStringView s) {
  for (QChar c : s)
    if (c.unicode() >= 0x80) return false;
  return true;
}

// The size and the edges only: hashing all of a ciphertext of tens of megabytes would cost
// about as much as encrypting it. Equal samples are told apart by comparing the bytes.
std::size_t sampleHash(QByteArrayView bytes) {
  constexpr qsizetype kEdge = 64;
  if (bytes.size() <= 2 * kEdge) return qHash(bytes);
  return qHashMulti(0, bytes.size(), bytes.first(kEdge), bytes.last(kEdge));
}

// Appends to a byte array sized up front, so the hot loop never reallocates.
class ByteSink {
 public:
  explicit ByteSink(QByteArray& out) : out_(out) {}
  void byte(int b) { out_.append(static_cast<char>(b)); }
  void bigEndian(quint64 value, int width) {
    char buffer[8];
    for (int i = 0; i < width; ++i) buffer[i] = static_cast<char>(value >> (8 * (width - 1 - i)));
    out_.append(buffer, width);
  }
  void bytes(const char* p, qsizetype n) { out_.append(p, n); }
  qsizetype size() const { return out_.size(); }

 private:
  QByteArray& out_;
};

void writeInteger(ByteSink& sink, qint64 value, bool isUnsigned) {
  if (isUnsigned) {
    // Above 2^63 - 1: the 16-byte form, high half zero.
    sink.byte(0x14);
    sink.bigEndian(0, 8);
    sink.bigEndian(static_cast<quint64>(value), 8);
    return;
  }
  if (value < 0) {
    sink.byte(0x13);
    sink.bigEndian(static_cast<quint64>(value), 8);
    return;
  }
  const int width = bytesFor(static_cast<quint64>(value));
  sink.byte(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
  sink.bigEndian(static_cast<quint64>(value), width);
}

void writeMarker(ByteSink& sink, int type, quint64 count) {
  if (count < 15) {
    sink.byte((type << 4) | static_cast<int>(count));
    return;
  }
  sink.byte((type << 4) | 0xF);
  writeInteger(sink, static_cast<qint64>(count), false);
}

void writeString(ByteSink& sink, QStringView string, bool ascii) {
  const auto n = static_cast<quint64>(string.size());
  if (ascii) {
    writeMarker(sink, 0x5, n);
    char buffer[256];
    qsizetype used = 0;
    for (QChar c : string) {
      buffer[used++] = static_cast<char>(c.unicode());
      if (used == sizeof buffer) {
        sink.bytes(buffer, used);
        used = 0;
      }
    }
    sink.bytes(buffer, used);
    return;
  }
  writeMarker(sink, 0x6, n);
  for (QChar c : string) sink.bigEndian(c.unicode(), 2);
}
}  // namespace

quint64 BinaryPropertyListObjectTable::append(Kind kind, quint64 bits, quint8 flag, quint64 size) {
  entries_.push_back(Entry{kind, flag, bits, size});
  return entries_.size() - 1;
}

quint64 BinaryPropertyListObjectTable::addString(const QString& string) {
  const auto [index, added] = stringEntries_.findOrAdd(
      FlatIndex<quint64>::hashOf(string), entries_.size(),
      [&](quint64 known) { return strings_[entries_[known].bits] == string; });
  if (!added) return index;
  heldStrings_.push_back(string);
  return addDistinctString(heldStrings_.back());
}

quint64 BinaryPropertyListObjectTable::addDistinctString(QStringView string) {
  strings_.push_back(string);
  return append(Kind::String, strings_.size() - 1, isAscii(string) ? 1 : 0);
}

quint64 BinaryPropertyListObjectTable::addData(const QByteArray& bytes) {
  const std::size_t sample = sampleHash(bytes);
  for (auto [it, end] = dataEntries_.equal_range(sample); it != end; ++it)
    if (data_[entries_[*it].bits] == bytes) return *it;
  data_.push_back(bytes);
  const quint64 index = append(Kind::Data, data_.size() - 1);
  dataEntries_.insert(sample, index);
  return index;
}

quint64 BinaryPropertyListObjectTable::addNumber(FlatIndex<quint64>& index, Kind kind, quint64 bits,
                                                 quint8 flag) {
  const auto [entry, added] = index.findOrAdd(bits, entries_.size());
  if (added) append(kind, bits, flag);
  return entry;
}

quint64 BinaryPropertyListObjectTable::addInteger(qint64 value, bool isUnsigned) {
  if (!isUnsigned) return addNumber(integerEntries_, Kind::Integer, static_cast<quint64>(value));
  return addNumber(unsignedEntries_, Kind::Integer, static_cast<quint64>(value), 1);
}

quint64 BinaryPropertyListObjectTable::addReal(double value) {
  return addNumber(realEntries_, Kind::Real, std::bit_cast<quint64>(value));
}

quint64 BinaryPropertyListObjectTable::addDate(double secondsSinceReferenceDate) {
  return addNumber(dateEntries_, Kind::Date, std::bit_cast<quint64>(secondsSinceReferenceDate));
}

quint64 BinaryPropertyListObjectTable::addBoolean(bool value) {
  return append(Kind::Boolean, value ? 1 : 0);
}

quint64 BinaryPropertyListObjectTable::addNull() { return append(Kind::Null, 0); }

quint64 BinaryPropertyListObjectTable::addUid(quint32 value) {
  if (value < denseUidEntries_.size() && denseUidEntries_[value] != 0)
    return denseUidEntries_[value] - 1;
  if (!sparseUidEntries_.isEmpty()) {
    auto it = sparseUidEntries_.constFind(value);
    if (it != sparseUidEntries_.cend()) return *it;
  }
  const quint64 index = append(Kind::Uid, value);
  // The dense table grows with the file, so a lone huge UID cannot make it huge.
  if (value < denseUidEntries_.size() + 2 * entries_.size() + 65536) {
    if (value >= denseUidEntries_.size()) denseUidEntries_.resize(std::size_t{value} * 3 / 2 + 16);
    denseUidEntries_[value] = index + 1;
  } else {
    sparseUidEntries_.insert(value, index);
  }
  return index;
}

void BinaryPropertyListObjectTable::reserve(quint64 entries, quint64 references, quint64 strings,
                                            quint32 uidCount) {
  entries_.reserve(entries);
  references_.reserve(references);
  strings_.reserve(strings);
  if (uidCount > denseUidEntries_.size()) denseUidEntries_.resize(uidCount);
}

quint64 BinaryPropertyListObjectTable::addContainer(quint8 type, quint64 count,
                                                    quint64 references) {
  const quint64 first = references_.size();
  references_.resize(first + references);
  return append(Kind::Container, first, type, count);
}

quint64 BinaryPropertyListObjectTable::addArray(quint64 count) {
  return addContainer(0xA, count, count);
}

quint64 BinaryPropertyListObjectTable::addSet(quint64 count) {
  return addContainer(0xC, count, count);
}

quint64 BinaryPropertyListObjectTable::addDictionary(quint64 count) {
  return addContainer(0xD, count, 2 * count);
}

void BinaryPropertyListObjectTable::setReference(quint64 container, quint64 position,
                                                 quint64 object) {
  references_[entries_[container].bits + position] = object;
}

QByteArray BinaryPropertyListObjectTable::write() const {
  const quint64 count = entries_.size();
  const int refSize = bytesFor(count - 1);

  qsizetype estimate = 40 + static_cast<qsizetype>(count * 13 + references_.size() * refSize);
  for (QStringView s : strings_) estimate += 2 * s.size();
  for (const QByteArray& d : data_) estimate += d.size();
  QByteArray out;
  out.reserve(estimate);
  ByteSink sink(out);

  sink.bytes("bplist00", 8);
  std::vector<quint64> offsets;
  offsets.reserve(count);
  for (const Entry& e : entries_) {
    offsets.push_back(static_cast<quint64>(sink.size()));
    switch (e.kind) {
      case Kind::Null:
        sink.byte(0x00);
        break;
      case Kind::Boolean:
        sink.byte(e.bits ? 0x09 : 0x08);
        break;
      case Kind::Integer:
        writeInteger(sink, static_cast<qint64>(e.bits), e.flag != 0);
        break;
      case Kind::Real:
        sink.byte(0x23);
        sink.bigEndian(e.bits, 8);
        break;
      case Kind::Date:
        sink.byte(0x33);
        sink.bigEndian(e.bits, 8);
        break;
      case Kind::Data: {
        const QByteArray& d = data_[e.bits];
        writeMarker(sink, 0x4, static_cast<quint64>(d.size()));
        sink.bytes(d.constData(), d.size());
        break;
      }
      case Kind::String:
        writeString(sink, strings_[e.bits], e.flag != 0);
        break;
      case Kind::Uid: {
        const int width = bytesFor(e.bits);
        sink.byte(0x80 | (width - 1));
        sink.bigEndian(e.bits, width);
        break;
      }
      case Kind::Container: {
        writeMarker(sink, e.flag, e.size);
        const quint64 n = e.flag == 0xD ? 2 * e.size : e.size;
        for (quint64 i = 0; i < n; ++i) sink.bigEndian(references_[e.bits + i], refSize);
        break;
      }
    }
  }
  const auto tableOffset = static_cast<quint64>(sink.size());
  const int offsetSize = bytesFor(offsets.back());
  for (quint64 offset : offsets) sink.bigEndian(offset, offsetSize);

  sink.bytes("\0\0\0\0\0\0", 6);
  sink.byte(offsetSize);
  sink.byte(refSize);
  sink.bigEndian(count, 8);
  sink.bigEndian(0, 8);
  sink.bigEndian(tableOffset, 8);
  return out;
}
