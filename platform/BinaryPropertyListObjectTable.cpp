#include "platform/BinaryPropertyListObjectTable.h"

#include <QtEndian>
#include <bit>
#include <cstring>

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

QByteArray BinaryPropertyListObjectTable::write(
    const std::function<void(BinaryPropertyListObjectTable&)>& fill) {
  BinaryPropertyListObjectTable table;
  fill(table);
  table.startWriting();
  fill(table);
  return table.finish();
}

void BinaryPropertyListObjectTable::startWriting() {
  Q_ASSERT(count_ > 0);
  refSize_ = bytesFor(count_ - 1);
  tableOffset_ = 8 + bytes_ + references_ * static_cast<quint64>(refSize_);
  const quint64 lastOffset =
      tableOffset_ - (lastBytes_ + lastReferences_ * static_cast<quint64>(refSize_));
  offsetSize_ = bytesFor(lastOffset);
  const quint64 size = tableOffset_ + count_ * static_cast<quint64>(offsetSize_) + 32;
  // A block's room past the end, so a cipher can pad the bytes where they are.
  out_.reserve(static_cast<qsizetype>(size + 16));
  out_.resize(static_cast<qsizetype>(size));
  cursor_ = out_.data();
  ByteSink(cursor_).bytes("bplist00", 8);
  cursor_ += 8;

  writing_ = true;
  count_ = 0;
  strings_.clear();
  stringIndex_.clear();
  data_.clear();
  dataIndex_.clear();
  for (FlatIndex<quint64>* index : {&integers_, &unsignedIntegers_, &reals_, &dates_})
    index->clear();
  denseUids_.assign(denseUids_.size(), 0);
  sparseUids_.clear();
}

QByteArray BinaryPropertyListObjectTable::finish() {
  Q_ASSERT(cursor_ == out_.data() + tableOffset_);
  ByteSink trailer(out_.data() + tableOffset_ + count_ * static_cast<quint64>(offsetSize_));
  trailer.bytes("\0\0\0\0\0\0", 6);
  trailer.byte(offsetSize_);
  trailer.byte(refSize_);
  trailer.bigEndian(count_, 8);
  trailer.bigEndian(0, 8);
  trailer.bigEndian(tableOffset_, 8);
  Q_ASSERT(trailer.at() == out_.data() + out_.size());
  return std::move(out_);
}

quint64 BinaryPropertyListObjectTable::newObject(quint64 bytes, quint64 references) {
  if (writing_) {
    ByteSink(out_.data() + tableOffset_ + count_ * static_cast<quint64>(offsetSize_))
        .bigEndian(static_cast<quint64>(cursor_ - out_.data()), offsetSize_);
  } else {
    bytes_ += bytes;
    references_ += references;
    lastBytes_ = bytes;
    lastReferences_ = references;
  }
  return count_++;
}

quint64 BinaryPropertyListObjectTable::offsetOf(quint64 object) const {
  const auto* at = reinterpret_cast<const uchar*>(out_.constData()) + tableOffset_ +
                   object * static_cast<quint64>(offsetSize_);
  quint64 offset = 0;
  for (int i = 0; i < offsetSize_; ++i) offset = offset << 8 | at[i];
  return offset;
}

quint64 BinaryPropertyListObjectTable::addString(const QString& string) {
  const auto [index, added] =
      stringIndex_.findOrAdd(textHash(string), strings_.size(),
                             [&](quint64 known) { return strings_[known].first == string; });
  if (!added) return strings_[index].second;
  const quint64 object = addDistinctString(string, isAscii(string));
  strings_.emplace_back(string, object);
  return object;
}

quint64 BinaryPropertyListObjectTable::addDistinctString(QStringView string, bool ascii) {
  const auto n = static_cast<quint64>(string.size());
  const quint64 object = newObject(markerSize(n) + (ascii ? n : 2 * n));
  if (writing_) {
    ByteSink sink(cursor_);
    writeString(sink, string, ascii);
    cursor_ = sink.at();
  }
  return object;
}

bool BinaryPropertyListObjectTable::isAscii(QStringView string) {
  for (QChar c : string)
    if (c.unicode() >= 0x80) return false;
  return true;
}

quint64 BinaryPropertyListObjectTable::addData(const QByteArray& bytes) {
  const std::size_t sample = sampleHash(bytes);
  for (auto [it, end] = dataIndex_.equal_range(sample); it != end; ++it)
    if (data_[*it].first == bytes) return data_[*it].second;
  const auto n = static_cast<quint64>(bytes.size());
  const quint64 object = newObject(markerSize(n) + n);
  if (writing_) {
    ByteSink sink(cursor_);
    writeMarker(sink, 0x4, n);
    sink.bytes(bytes.constData(), bytes.size());
    cursor_ = sink.at();
  }
  dataIndex_.insert(sample, data_.size());
  data_.emplace_back(bytes, object);
  return object;
}

quint64 BinaryPropertyListObjectTable::addNumber(FlatIndex<quint64>& index, quint8 marker,
                                                 quint64 bits, bool isUnsigned) {
  const auto [object, added] = index.findOrAdd(bits, count_);
  if (!added) return object;
  const bool isInteger = marker == 0x10;
  newObject(isInteger ? static_cast<quint64>(integerSize(static_cast<qint64>(bits), isUnsigned))
                      : 9);
  if (writing_) {
    ByteSink sink(cursor_);
    if (isInteger) {
      writeInteger(sink, static_cast<qint64>(bits), isUnsigned);
    } else {
      sink.byte(marker);
      sink.bigEndian(bits, 8);
    }
    cursor_ = sink.at();
  }
  return object;
}

quint64 BinaryPropertyListObjectTable::addInteger(qint64 value, bool isUnsigned) {
  return addNumber(isUnsigned ? unsignedIntegers_ : integers_, 0x10, static_cast<quint64>(value),
                   isUnsigned);
}

quint64 BinaryPropertyListObjectTable::addReal(double value) {
  return addNumber(reals_, 0x23, std::bit_cast<quint64>(value), false);
}

quint64 BinaryPropertyListObjectTable::addDate(double secondsSinceReferenceDate) {
  return addNumber(dates_, 0x33, std::bit_cast<quint64>(secondsSinceReferenceDate), false);
}

quint64 BinaryPropertyListObjectTable::addBoolean(bool value) {
  const quint64 object = newObject(1);
  if (writing_) *cursor_++ = static_cast<char>(value ? 0x09 : 0x08);
  return object;
}

quint64 BinaryPropertyListObjectTable::addNull() {
  const quint64 object = newObject(1);
  if (writing_) *cursor_++ = 0x00;
  return object;
}

quint64 BinaryPropertyListObjectTable::addUid(quint32 value) {
  if (value < denseUids_.size() && denseUids_[value] != 0) return denseUids_[value] - 1;
  if (!sparseUids_.isEmpty()) {
    auto it = sparseUids_.constFind(value);
    if (it != sparseUids_.cend()) return *it;
  }
  const int width = bytesFor(value);
  const quint64 object = newObject(1 + static_cast<quint64>(width));
  if (writing_) {
    ByteSink sink(cursor_);
    sink.byte(0x80 | (width - 1));
    sink.bigEndian(value, width);
    cursor_ = sink.at();
  }
  // The dense table grows with the file, so a lone huge UID cannot make it huge.
  if (value < denseUids_.size() + 2 * count_ + 65536) {
    if (value >= denseUids_.size()) denseUids_.resize(std::size_t{value} * 3 / 2 + 16);
    denseUids_[value] = object + 1;
  } else {
    sparseUids_.insert(value, object);
  }
  return object;
}

quint64 BinaryPropertyListObjectTable::addContainer(quint8 type, quint64 count,
                                                    quint64 references) {
  const quint64 object = newObject(markerSize(count), references);
  if (writing_) {
    ByteSink sink(cursor_);
    writeMarker(sink, type, count);
    // The references follow as the children are added.
    recentContainers_[object % recentContainers_.size()] = {object, sink.at()};
    cursor_ = sink.at() + references * static_cast<quint64>(refSize_);
  }
  return object;
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
  if (!writing_) return;
  const auto& [recent, references] = recentContainers_[container % recentContainers_.size()];
  char* at = references;
  if (recent != container || !at) {
    // Past the container's marker: one byte, or two and an integer's bytes for a count of 15
    // and more.
    at = out_.data() + offsetOf(container);
    at += (at[0] & 0xF) != 0xF ? 1 : 2 + (1 << (at[1] & 0xF));
  }
  ByteSink(at + position * static_cast<quint64>(refSize_)).bigEndian(object, refSize_);
}
