#include "platform/archive/BinaryPropertyListObjectTable.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {
int bytesFor(quint64 value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFFu) return 4;
  return 8;
}

// The size and the edges only: hashing all of a ciphertext of tens of megabytes would cost
// about as much as encrypting it. Equal samples are told apart by comparing the bytes.
std::size_t sampleHash(QByteArrayView bytes) {
  constexpr qsizetype kEdge = 64;
  if (bytes.size() <= 2 * kEdge) return qHash(bytes);
  return qHashMulti(0, bytes.size(), bytes.first(kEdge), bytes.last(kEdge));
}

// Writes into a buffer sized exactly up front: no bounds checks or growth per byte.
class ByteSink {
 public:
  explicit ByteSink(char* at) : at_(at) {}
  void byte(int b) { *at_++ = static_cast<char>(b); }
  // Widths are 1, 2, 4 or 8.
  void bigEndian(quint64 value, int width) {
    switch (width) {
      case 1:
        byte(static_cast<int>(value));
        return;
      case 2:
        store(qToBigEndian(static_cast<quint16>(value)));
        return;
      case 4:
        store(qToBigEndian(static_cast<quint32>(value)));
        return;
      default:
        store(qToBigEndian(value));
    }
  }
  void bytes(const char* p, qsizetype n) {
    std::memcpy(at_, p, static_cast<std::size_t>(n));
    at_ += n;
  }
  void latin1(QStringView s) {
    for (QChar c : s) *at_++ = static_cast<char>(c.unicode());
  }
  char* at() const { return at_; }

 private:
  template <typename T>
  void store(T value) {
    std::memcpy(at_, &value, sizeof value);
    at_ += sizeof value;
  }
  char* at_;
};

int integerSize(qint64 value, bool isUnsigned) {
  if (isUnsigned) return 17;
  if (value < 0) return 9;
  return 1 + bytesFor(static_cast<quint64>(value));
}

quint64 markerSize(quint64 count) {
  return count < 15 ? 1 : 1 + integerSize(static_cast<qint64>(count), false);
}

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
    sink.latin1(string);
    return;
  }
  writeMarker(sink, 0x6, n);
  for (QChar c : string) sink.bigEndian(c.unicode(), 2);
}
}  // namespace

quint64 BinaryPropertyListObjectTable::append(Kind kind, quint64 bits, quint8 flag, quint64 size) {
  entries_.push_back(Entry{bits, static_cast<quint32>(size), kind, flag});
  // Counted while the entry is at hand: writing then needs no pass to size the file.
  lastBytes_ = bytesBesideReferences(entries_.back());
  bytes_ += lastBytes_;
  return entries_.size() - 1;
}

quint64 BinaryPropertyListObjectTable::addString(const QString& string) {
  const auto [index, added] = stringEntries_.findOrAdd(
      textHash(string), entries_.size(),
      [&](quint64 known) { return strings_[entries_[known].bits] == string; });
  if (!added) return index;
  heldStrings_.push_back(string);
  return addDistinctString(heldStrings_.back(), isAscii(string));
}

quint64 BinaryPropertyListObjectTable::addDistinctString(QStringView string, bool ascii) {
  strings_.push_back(string);
  return append(Kind::String, strings_.size() - 1, ascii ? 1 : 0);
}

bool BinaryPropertyListObjectTable::isAscii(QStringView string) {
  for (QChar c : string)
    if (c.unicode() >= 0x80) return false;
  return true;
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
                                            quint64 reals, quint32 uidCount) {
  entries_.reserve(entries);
  references_.reserve(references);
  strings_.reserve(strings);
  realEntries_.reserve(reals);
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
  references_[entries_[container].bits + position] = static_cast<quint32>(object);
}

quint64 BinaryPropertyListObjectTable::referencesOf(const Entry& e) {
  if (e.kind != Kind::Container) return 0;
  return e.flag == 0xD ? 2 * quint64{e.size} : e.size;
}

quint64 BinaryPropertyListObjectTable::bytesBesideReferences(const Entry& e) const {
  switch (e.kind) {
    case Kind::Null:
    case Kind::Boolean:
      return 1;
    case Kind::Integer:
      return integerSize(static_cast<qint64>(e.bits), e.flag != 0);
    case Kind::Real:
    case Kind::Date:
      return 9;
    case Kind::Data: {
      const auto n = static_cast<quint64>(data_[e.bits].size());
      return markerSize(n) + n;
    }
    case Kind::String: {
      const auto n = static_cast<quint64>(strings_[e.bits].size());
      return markerSize(n) + (e.flag != 0 ? n : 2 * n);
    }
    case Kind::Uid:
      return 1 + bytesFor(e.bits);
    case Kind::Container:
      return markerSize(e.size);
  }
  return 0;
}

QByteArray BinaryPropertyListObjectTable::write() const {
  // A block's room past the end, so a cipher can pad the bytes where they are.
  return writeParts(std::numeric_limits<qsizetype>::max(), 16).takeFirst();
}

QByteArrayList BinaryPropertyListObjectTable::writePieces(qsizetype apartSize) const {
  return writeParts(std::max<qsizetype>(apartSize, 1), 0);
}

QByteArrayList BinaryPropertyListObjectTable::writeParts(qsizetype apartSize,
                                                         qsizetype tailRoom) const {
  const quint64 count = entries_.size();
  const int refSize = bytesFor(count - 1);

  // Sized from the counts, so the offset table's width is known and each offset is written
  // in place. Every reference is in a container and the pool holds each once.
  const quint64 tableOffset = 8 + bytes_ + references_.size() * static_cast<quint64>(refSize);
  const quint64 lastOffset =
      count == 0 ? 0 : tableOffset - lastBytes_ - referencesOf(entries_[count - 1]) * refSize;
  quint64 apartBytes = 0;
  for (const QByteArray& d : data_)
    if (d.size() >= apartSize) apartBytes += static_cast<quint64>(d.size());
  const int offsetSize = bytesFor(lastOffset);
  // The bytes of every piece but the data kept apart, one after the other.
  const auto ownSize = static_cast<qsizetype>(tableOffset - apartBytes + count * offsetSize + 32);
  QByteArray out;
  out.reserve(ownSize + tailRoom);
  out.resize(ownSize);
  ByteSink sink(out.data());
  ByteSink offsets(out.data() + (tableOffset - apartBytes));
  // Where each piece kept apart goes in out, with the piece.
  std::vector<std::pair<qsizetype, const QByteArray*>> cuts;
  quint64 apartSoFar = 0;

  sink.bytes("bplist00", 8);
  // Strings' characters lie all over the heap: ask for those a few entries ahead.
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i + kAhead < entries_.size() && entries_[i + kAhead].kind == Kind::String)
      __builtin_prefetch(strings_[entries_[i + kAhead].bits].utf16());
    const Entry& e = entries_[i];
    offsets.bigEndian(static_cast<quint64>(sink.at() - out.data()) + apartSoFar, offsetSize);
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
        if (d.size() >= apartSize) {
          cuts.emplace_back(sink.at() - out.data(), &d);
          apartSoFar += static_cast<quint64>(d.size());
        } else {
          sink.bytes(d.constData(), d.size());
        }
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
        const quint64 n = referencesOf(e);
        for (quint64 i = 0; i < n; ++i) sink.bigEndian(references_[e.bits + i], refSize);
        break;
      }
    }
  }
  Q_ASSERT(sink.at() == out.data() + (tableOffset - apartBytes));
  offsets.bytes("\0\0\0\0\0\0", 6);
  offsets.byte(offsetSize);
  offsets.byte(refSize);
  offsets.bigEndian(count, 8);
  offsets.bigEndian(0, 8);
  offsets.bigEndian(tableOffset, 8);
  Q_ASSERT(offsets.at() == out.data() + out.size());
  if (cuts.empty()) return {out};
  // Only the small bytes between the pieces apart are copied.
  QByteArrayList pieces;
  qsizetype from = 0;
  for (const auto& [at, piece] : cuts) {
    pieces.append(out.sliced(from, at - from));
    pieces.append(*piece);
    from = at;
  }
  pieces.append(out.sliced(from));
  return pieces;
}
