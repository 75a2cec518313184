#include "platform/BinaryPropertyListWriter.h"

#include <cstring>

namespace {
int bytesFor(quint64 value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFFu) return 4;
  return 8;
}

quint64 bitsOf(double d) {
  quint64 bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

bool isAscii(const QString& s) {
  for (QChar c : s)
    if (c.unicode() >= 0x80) return false;
  return true;
}
}  // namespace

QByteArray BinaryPropertyListWriter::write(const PropertyListObject& root) {
  BinaryPropertyListWriter writer;
  writer.visit(root);
  const quint64 count = writer.slots_.size();
  const int refSize = bytesFor(count - 1);

  writer.out_.append("bplist00", 8);
  std::vector<quint64> offsets;
  offsets.reserve(count);
  for (const Slot& slot : writer.slots_) {
    offsets.push_back(static_cast<quint64>(writer.out_.size()));
    writer.writeSlot(slot, refSize);
  }
  const auto tableOffset = static_cast<quint64>(writer.out_.size());
  const int offsetSize = bytesFor(offsets.back());
  for (quint64 offset : offsets) writer.writeBigEndian(offset, offsetSize);

  writer.out_.append(6, '\0');
  writer.out_.append(static_cast<char>(offsetSize));
  writer.out_.append(static_cast<char>(refSize));
  writer.writeBigEndian(count, 8);
  writer.writeBigEndian(0, 8);
  writer.writeBigEndian(tableOffset, 8);
  return writer.out_;
}

quint64 BinaryPropertyListWriter::visitKey(const QString& key) {
  if (auto it = strings_.constFind(key); it != strings_.cend()) return *it;
  const quint64 index = slots_.size();
  slots_.push_back(Slot{nullptr, &key, {}});
  strings_.insert(key, index);
  return index;
}

quint64 BinaryPropertyListWriter::visit(const PropertyListObject& object) {
  using Kind = PropertyListObject::Kind;
  // Scalars that compare equal share one slot.
  QHash<quint64, quint64>* numbers = nullptr;
  quint64 numberKey = 0;
  switch (object.kind()) {
    case Kind::String:
      return visitKey(object.stringValue());
    case Kind::Data: {
      if (auto it = data_.constFind(object.dataValue()); it != data_.cend()) return *it;
      data_.insert(object.dataValue(), slots_.size());
      break;
    }
    case Kind::Integer:
      if (!object.isUnsigned()) {
        if (auto it = integers_.constFind(object.integerValue()); it != integers_.cend())
          return *it;
        integers_.insert(object.integerValue(), slots_.size());
        break;
      }
      numbers = &unsignedIntegers_;
      numberKey = static_cast<quint64>(object.integerValue());
      break;
    case Kind::Real:
      numbers = &reals_;
      numberKey = bitsOf(object.realValue());
      break;
    case Kind::Date:
      numbers = &dates_;
      numberKey = bitsOf(object.realValue());
      break;
    case Kind::Uid:
      numbers = &uids_;
      numberKey = object.uidValue();
      break;
    case Kind::Array:
    case Kind::Set:
    case Kind::Dictionary:
      if (auto it = containers_.constFind(&object); it != containers_.cend()) return *it;
      break;
    default:
      break;
  }
  if (numbers) {
    if (auto it = numbers->constFind(numberKey); it != numbers->cend()) return *it;
    numbers->insert(numberKey, slots_.size());
  }

  const quint64 index = slots_.size();
  slots_.push_back(Slot{&object, nullptr, {}});
  if (object.kind() == Kind::Array || object.kind() == Kind::Set ||
      object.kind() == Kind::Dictionary) {
    containers_.insert(&object, index);
    std::vector<quint64> refs;
    refs.reserve(object.items().size() + object.keys().size());
    for (const QString& key : object.keys()) refs.push_back(visitKey(key));
    for (const auto& item : object.items()) refs.push_back(visit(*item));
    slots_[index].refs = std::move(refs);
  }
  return index;
}

void BinaryPropertyListWriter::writeBigEndian(quint64 value, int width) {
  for (int i = width - 1; i >= 0; --i) out_.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void BinaryPropertyListWriter::writeMarker(int type, quint64 count) {
  if (count < 15) {
    out_.append(static_cast<char>((type << 4) | static_cast<int>(count)));
    return;
  }
  out_.append(static_cast<char>((type << 4) | 0xF));
  writeInteger(static_cast<qint64>(count), false);
}

void BinaryPropertyListWriter::writeInteger(qint64 value, bool isUnsigned) {
  if (isUnsigned) {
    // Above 2^63 - 1: the 16-byte form, high half zero.
    out_.append(static_cast<char>(0x14));
    writeBigEndian(0, 8);
    writeBigEndian(static_cast<quint64>(value), 8);
    return;
  }
  if (value < 0) {
    out_.append(static_cast<char>(0x13));
    writeBigEndian(static_cast<quint64>(value), 8);
    return;
  }
  const int width = bytesFor(static_cast<quint64>(value));
  out_.append(static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3)));
  writeBigEndian(static_cast<quint64>(value), width);
}

void BinaryPropertyListWriter::writeString(const QString& string) {
  if (isAscii(string)) {
    writeMarker(0x5, static_cast<quint64>(string.size()));
    out_.append(string.toLatin1());
    return;
  }
  writeMarker(0x6, static_cast<quint64>(string.size()));
  for (QChar c : string) writeBigEndian(c.unicode(), 2);
}

void BinaryPropertyListWriter::writeSlot(const Slot& slot, int refSize) {
  using Kind = PropertyListObject::Kind;
  if (slot.key) {
    writeString(*slot.key);
    return;
  }
  const PropertyListObject& o = *slot.object;
  switch (o.kind()) {
    case Kind::Null:
      out_.append('\0');
      return;
    case Kind::Boolean:
      out_.append(static_cast<char>(o.boolValue() ? 0x09 : 0x08));
      return;
    case Kind::Integer:
      writeInteger(o.integerValue(), o.isUnsigned());
      return;
    case Kind::Real:
      out_.append(static_cast<char>(0x23));
      writeBigEndian(bitsOf(o.realValue()), 8);
      return;
    case Kind::Date:
      out_.append(static_cast<char>(0x33));
      writeBigEndian(bitsOf(o.realValue()), 8);
      return;
    case Kind::Data:
      writeMarker(0x4, static_cast<quint64>(o.dataValue().size()));
      out_.append(o.dataValue());
      return;
    case Kind::String:
      writeString(o.stringValue());
      return;
    case Kind::Uid: {
      const int width = bytesFor(o.uidValue());
      out_.append(static_cast<char>(0x80 | (width - 1)));
      writeBigEndian(o.uidValue(), width);
      return;
    }
    case Kind::Array:
    case Kind::Set:
    case Kind::Dictionary:
      break;
  }
  const int type = o.kind() == Kind::Array ? 0xA : o.kind() == Kind::Set ? 0xC : 0xD;
  writeMarker(type, o.kind() == Kind::Dictionary ? slot.refs.size() / 2 : slot.refs.size());
  for (quint64 ref : slot.refs) writeBigEndian(ref, refSize);
}
