#include "platform/archive/TypedStreamReader.h"

#include <algorithm>
#include <cstring>

namespace {
// Head bytes that are not literal integers.
constexpr int kInt16 = 0x81;
constexpr int kInt32 = 0x82;
constexpr int kReal = 0x83;
constexpr int kNew = 0x84;
constexpr int kNil = 0x85;
constexpr int kEnd = 0x86;
constexpr int kFirstTag = 0x80;
constexpr int kLastTag = 0x91;
// A reference r names table entry r + 110: the first literal below the tags is -110.
constexpr qint64 kReferenceBase = 110;

bool isTag(int head) { return head >= kFirstTag && head <= kLastTag; }

// What the heap takes for a block of n bytes: its own header, and whole pages for the large
// blocks it maps on their own.
qint64 blockCost(qint64 n) { return n + 16 + (n >= qint64{128} * 1024 ? 4096 : 0); }
// A QByteArray's header and terminator, besides its bytes.
constexpr qint64 kByteArrayHeader = 32;
}  // namespace

Result<TypedStream> TypedStreamReader::read(const QByteArray& bytes) {
  if (bytes.size() > kMaxStream)
    return Failure{
        QStringLiteral("typedstream: %1 bytes, longer than a stream can be").arg(bytes.size())};
  TypedStreamReader reader(bytes);
  reader.budget_ = kHeapBytesPerByte * std::max(bytes.size(), qsizetype(kSmallStream)) - kErrorRoom;
  return reader.readAll();
}

bool TypedStreamReader::charge(qint64 bytes) {
  if (bytes > budget_)
    return fail(QStringLiteral("values of %1 bytes, more than the stream can hold").arg(bytes));
  budget_ -= bytes;
  return true;
}

template <class T>
bool TypedStreamReader::roomFor(std::vector<T>& list, qint64 n) {
  const auto size = static_cast<qint64>(list.size());
  const auto capacity = static_cast<qint64>(list.capacity());
  if (n <= capacity - size) return true;
  if (n > budget_ / static_cast<qint64>(sizeof(T)))
    return fail(QStringLiteral("%1 more items, more than the stream can hold").arg(n));
  // Growing by half keeps the slack and the moment both buffers are held small.
  const qint64 grown = std::max({size + n, capacity + capacity / 2, qint64(16)});
  // Both buffers are held while the items move over; then the old one is freed.
  if (!charge(blockCost(grown * static_cast<qint64>(sizeof(T))))) return false;
  if (capacity > 0) budget_ += blockCost(capacity * static_cast<qint64>(sizeof(T)));
  list.reserve(static_cast<std::size_t>(grown));
  return true;
}

bool TypedStreamReader::makeValues(qint64 n, const char* what, std::size_t& first) {
  if (!roomFor(stream_.values, n)) {
    error_.clear();
    return fail(QStringLiteral("%1 of %2 is more than the stream can hold")
                    .arg(QLatin1String(what))
                    .arg(n));
  }
  first = stream_.values.size();
  stream_.values.resize(first + static_cast<std::size_t>(n));
  return true;
}

bool TypedStreamReader::fail(const QString& what) {
  if (error_.isEmpty())
    error_ = QStringLiteral("typedstream: %1 at offset %2").arg(what).arg(position_);
  return false;
}

Result<TypedStream> TypedStreamReader::readAll() {
  if (!readHeader()) return Failure{error_};
  while (position_ < bytes_.size())
    if (!readGroup(stream_.groups, 0)) return Failure{error_};
  return std::move(stream_);
}

bool TypedStreamReader::readHeader() {
  int version = 0, length = 0;
  if (!readHead(version) || !readHead(length)) return false;
  if (version != 4) return fail(QStringLiteral("streamer version %1, not 4").arg(version));
  QByteArray signature;
  if (length != 11 || !readBytes(11, signature)) return fail(QStringLiteral("no signature"));
  if (signature == "streamtyped")
    bigEndian_ = false;
  else if (signature == "typedstream")
    bigEndian_ = true;
  else
    return fail(QStringLiteral("unknown signature"));
  stream_.bigEndian = bigEndian_;
  return readInteger(stream_.systemVersion);
}

bool TypedStreamReader::readHead(int& head) {
  if (position_ >= bytes_.size()) return fail(QStringLiteral("unexpected end of data"));
  head = static_cast<unsigned char>(bytes_[position_++]);
  return true;
}

bool TypedStreamReader::readRaw(qsizetype n, quint64& into) {
  if (bytes_.size() - position_ < n) return fail(QStringLiteral("unexpected end of data"));
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData()) + position_;
  into = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const quint64 byte = p[bigEndian_ ? i : n - 1 - i];
    into = (into << 8) | byte;
  }
  position_ += n;
  return true;
}

bool TypedStreamReader::readBytesValue(qint64 n, TypedValue& into) {
  if (n < 0 || bytes_.size() - position_ < n)
    return fail(QStringLiteral("length %1 runs past the end").arg(n));
  QByteArray& all = stream_.bytes;
  if (n > all.capacity() - all.size()) {
    const qint64 grown =
        std::max({all.size() + n, all.capacity() + all.capacity() / 2, qint64(256)});
    if (!charge(blockCost(grown + kByteArrayHeader))) return false;
    if (all.capacity() > 0) budget_ += blockCost(all.capacity() + kByteArrayHeader);
    all.reserve(static_cast<qsizetype>(grown));
  }
  into.kind = TypedValue::Kind::Bytes;
  into.first = all.size();
  into.count = static_cast<std::uint32_t>(n);
  all.append(bytes_.constData() + position_, static_cast<qsizetype>(n));
  position_ += static_cast<qsizetype>(n);
  return true;
}

bool TypedStreamReader::readBytes(qint64 n, QByteArray& into) {
  if (n < 0 || bytes_.size() - position_ < n)
    return fail(QStringLiteral("length %1 runs past the end").arg(n));
  if (n > 0 && !charge(blockCost(n + kByteArrayHeader))) return false;
  into = QByteArray(bytes_.constData() + position_, static_cast<qsizetype>(n));
  position_ += static_cast<qsizetype>(n);
  return true;
}

bool TypedStreamReader::readIntegerAfter(int head, qint64& into) {
  quint64 raw = 0;
  if (head == kInt16) {
    if (!readRaw(2, raw)) return false;
    into = static_cast<qint16>(raw);
  } else if (head == kInt32) {
    if (!readRaw(4, raw)) return false;
    into = static_cast<qint32>(raw);
  } else if (isTag(head)) {
    --position_;
    return fail(QStringLiteral("tag 0x%1 where an integer belongs").arg(head, 2, 16));
  } else {
    // A small integer is its signed byte.
    into = static_cast<qint8>(head);  // NOLINT(bugprone-signed-char-misuse)
  }
  return true;
}

bool TypedStreamReader::readInteger(qint64& into) {
  int head = 0;
  return readHead(head) && readIntegerAfter(head, into);
}

bool TypedStreamReader::readReal(char code, double& into) {
  int head = 0;
  if (!readHead(head)) return false;
  if (head != kReal) {
    qint64 integral = 0;
    if (!readIntegerAfter(head, integral)) return false;
    into = static_cast<double>(integral);
    return true;
  }
  quint64 raw = 0;
  if (code == 'f') {
    if (!readRaw(4, raw)) return false;
    const auto bits = static_cast<quint32>(raw);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    into = f;
  } else {
    if (!readRaw(8, raw)) return false;
    std::memcpy(&into, &raw, sizeof into);
  }
  return true;
}

bool TypedStreamReader::readSharedString(std::int32_t& into, bool& isNil) {
  int head = 0;
  return readHead(head) && readSharedStringAfter(head, into, isNil);
}

bool TypedStreamReader::readSharedStringAfter(int head, std::int32_t& into, bool& isNil) {
  isNil = head == kNil;
  if (isNil) return true;
  std::vector<QByteArray>& strings = stream_.strings;
  if (head == kNew) {
    qint64 length = 0;
    QByteArray string;
    if (!readInteger(length) || !readBytes(length, string) || !roomFor(strings, 1) ||
        !roomFor(types_, 1))
      return false;
    into = lastSharedString_ = static_cast<std::int32_t>(strings.size());
    strings.push_back(std::move(string));
    types_.emplace_back();
    return true;
  }
  qint64 ref = 0;
  if (!readIntegerAfter(head, ref)) return false;
  const qint64 index = ref + kReferenceBase;
  if (index < 0 || index >= static_cast<qint64>(strings.size()))
    return fail(QStringLiteral("shared string %1 of %2").arg(index).arg(strings.size()));
  into = lastSharedString_ = static_cast<std::int32_t>(index);
  return true;
}

qsizetype TypedStreamReader::entryReference(qint64 ref, TypedEntry::Kind kind, const char* what) {
  const qint64 index = ref + kReferenceBase;
  if (index < 0 || index >= static_cast<qint64>(stream_.entries.size())) {
    fail(QStringLiteral("reference to missing %1 %2 of %3")
             .arg(QLatin1String(what))
             .arg(index)
             .arg(stream_.entries.size()));
    return -1;
  }
  if (stream_.entries[static_cast<std::size_t>(index)].kind != kind) {
    fail(QStringLiteral("entry %1 is not a %2").arg(index).arg(QLatin1String(what)));
    return -1;
  }
  return static_cast<qsizetype>(index);
}

bool TypedStreamReader::parseTypes(const QByteArray& encoding, qsizetype& at,
                                   std::vector<Type>& into, int depth, char until) {
  if (depth > kMaxDepth) return fail(QStringLiteral("type encoding nested too deeply"));
  while (at < encoding.size()) {
    const char c = encoding[at];
    if (c == until) return true;
    ++at;
    Type type;
    type.code = c;
    switch (c) {
      case 'c':
      case 'C':
      case 'B':
      case 's':
      case 'S':
      case 'i':
      case 'I':
      case 'l':
      case 'L':
      case 'q':
      case 'Q':
      case 'f':
      case 'd':
      case '@':
      case '#':
      case '*':
      case '+':
        break;
      case '{': {
        // The name up to '=' says nothing about the layout.
        while (at < encoding.size() && encoding[at] != '=' && encoding[at] != '}') ++at;
        if (at >= encoding.size() || encoding[at] != '=')
          return fail(QStringLiteral("struct type without fields in \"%1\"")
                          .arg(QString::fromLatin1(encoding)));
        ++at;
        if (!parseTypes(encoding, at, type.fields, depth + 1, '}')) return false;
        if (at >= encoding.size() || type.fields.empty())
          return fail(QStringLiteral("bad struct type \"%1\"").arg(QString::fromLatin1(encoding)));
        ++at;
        break;
      }
      case '[': {
        qint64 n = 0;
        bool digits = false;
        while (at < encoding.size() && encoding[at] >= '0' && encoding[at] <= '9') {
          n = n * 10 + (encoding[at++] - '0');
          digits = true;
          if (n > bytes_.size()) return fail(QStringLiteral("array type longer than the data"));
        }
        std::vector<Type> element;
        // Every value must take at least one byte, or a short stream could describe
        // unbounded numbers of them.
        if (!digits || n == 0) return fail(QStringLiteral("array type without a length"));
        if (!parseTypes(encoding, at, element, depth + 1, ']')) return false;
        if (at >= encoding.size() || element.size() != 1)
          return fail(QStringLiteral("bad array type \"%1\"").arg(QString::fromLatin1(encoding)));
        ++at;
        type.count = n;
        type.fields = std::move(element);
        break;
      }
      default:
        return fail(QStringLiteral("unsupported type '%1' in \"%2\"")
                        .arg(QLatin1Char(c))
                        .arg(QString::fromLatin1(encoding)));
    }
    if (!roomFor(into, 1)) return false;
    into.push_back(std::move(type));
  }
  if (until != 0)
    return fail(QStringLiteral("unterminated type \"%1\"").arg(QString::fromLatin1(encoding)));
  return true;
}

bool TypedStreamReader::readGroup(std::vector<TypedGroup>& into, int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  TypedGroup group;
  bool isNil = false;
  if (!readSharedString(group.encoding, isNil)) return false;
  if (isNil || stream_.strings[static_cast<std::size_t>(group.encoding)].isEmpty())
    return fail(QStringLiteral("missing type string"));
  const QByteArray& encoding = stream_.strings[static_cast<std::size_t>(group.encoding)];
  std::unique_ptr<const std::vector<Type>>& parsed =
      types_[static_cast<std::size_t>(group.encoding)];
  if (!parsed) {
    auto types = std::make_unique<std::vector<Type>>();
    qsizetype at = 0;
    // The vector object's own block, before the types it will hold.
    if (!charge(blockCost(qint64(sizeof(*types)))) ||  // NOLINT(bugprone-sizeof-container)
        !parseTypes(encoding, at, *types, 0, 0))
      return false;
    parsed = std::move(types);
  }
  // Held apart from the table, which reading the values may grow.
  const std::vector<Type>& types = *parsed;
  std::size_t first = 0;
  if (!makeValues(static_cast<qint64>(types.size()), "group", first)) return false;
  group.first = static_cast<std::uint32_t>(first);
  group.count = static_cast<std::uint32_t>(types.size());
  for (std::size_t i = 0; i < types.size(); ++i)
    if (!readValue(types[i], first + i, depth)) return false;
  if (!roomFor(into, 1)) return false;
  into.push_back(group);
  return true;
}

bool TypedStreamReader::readValue(const Type& type, std::size_t at, int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  TypedValue v;
  quint64 raw = 0;
  switch (type.code) {
    case 'c':
    case 'C':
    case 'B':
      if (!readRaw(1, raw)) return false;
      v.kind = TypedValue::Kind::Integer;
      v.integer = type.code == 'c' ? static_cast<qint8>(raw) : static_cast<qint64>(raw);
      break;
    case 's':
    case 'S':
    case 'i':
    case 'I':
    case 'l':
    case 'L':
    case 'q':
    case 'Q': {
      v.kind = TypedValue::Kind::Integer;
      if (!readInteger(v.integer)) return false;
      // Unsigned types are stored in the same signed forms.
      if (type.code == 'S') v.integer = static_cast<quint16>(v.integer);
      if (type.code == 'I' || type.code == 'L') v.integer = static_cast<quint32>(v.integer);
      break;
    }
    case 'f':
    case 'd':
      v.kind = TypedValue::Kind::Real;
      if (!readReal(type.code, v.real)) return false;
      break;
    case '@':
      if (!readObject(v, depth + 1)) return false;
      break;
    case '#': {
      std::int32_t entry = -1;
      if (!readClass(entry, depth + 1)) return false;
      v.kind = entry < 0 ? TypedValue::Kind::Nil : TypedValue::Kind::Entry;
      v.entry = entry;
      break;
    }
    case '*':
      if (!readCString(v)) return false;
      break;
    case '+': {
      qint64 length = 0;
      if (!readInteger(length) || !readBytesValue(length, v)) return false;
      break;
    }
    case '{': {
      std::size_t first = 0;
      if (!makeValues(static_cast<qint64>(type.fields.size()), "struct", first)) return false;
      for (std::size_t i = 0; i < type.fields.size(); ++i)
        if (!readValue(type.fields[i], first + i, depth + 1)) return false;
      v.kind = TypedValue::Kind::Struct;
      v.first = static_cast<qsizetype>(first);
      v.count = static_cast<std::uint32_t>(type.fields.size());
      break;
    }
    case '[': {
      const Type& element = type.fields.front();
      if (element.code == 'c' || element.code == 'C' || element.code == 'B') {
        if (!readBytesValue(type.count, v)) return false;
        break;
      }
      // Every element takes at least one byte.
      if (type.count > bytes_.size() - position_)
        return fail(QStringLiteral("array of %1 runs past the end").arg(type.count));
      // Nested arrays make every level's elements before a byte of them is read.
      std::size_t first = 0;
      if (!makeValues(type.count, "array", first)) return false;
      for (std::size_t i = 0; i < static_cast<std::size_t>(type.count); ++i)
        if (!readValue(element, first + i, depth + 1)) return false;
      v.kind = TypedValue::Kind::Array;
      v.first = static_cast<qsizetype>(first);
      v.count = static_cast<std::uint32_t>(type.count);
      break;
    }
    default:
      return fail(QStringLiteral("unsupported type '%1'").arg(QLatin1Char(type.code)));
  }
  stream_.values[at] = v;
  return true;
}

bool TypedStreamReader::readObject(TypedValue& into, int depth) {
  int head = 0;
  if (!readHead(head)) return false;
  if (head == kNil) {
    into.kind = TypedValue::Kind::Nil;
    return true;
  }
  if (head != kNew) {
    qint64 ref = 0;
    if (!readIntegerAfter(head, ref)) return false;
    into.entry = entryReference(ref, TypedEntry::Kind::Object, "object");
    into.kind = TypedValue::Kind::Entry;
    return into.entry >= 0;
  }
  // The object takes its number before its class.
  const auto index = static_cast<qsizetype>(stream_.entries.size());
  if (!roomFor(stream_.entries, 1)) return false;
  stream_.entries.push_back(TypedEntry{});
  std::int32_t classEntry = -1;
  if (!readClass(classEntry, depth + 1)) return false;
  if (classEntry < 0) return fail(QStringLiteral("object %1 without a class").arg(index));
  const std::size_t mark = pendingGroups_.size();
  for (;;) {
    if (position_ >= bytes_.size())
      return fail(QStringLiteral("object %1 is not ended").arg(index));
    if (static_cast<unsigned char>(bytes_[position_]) == kEnd) {
      ++position_;
      break;
    }
    if (!readGroup(pendingGroups_, depth + 1)) return false;
  }
  const std::size_t count = pendingGroups_.size() - mark;
  std::vector<TypedGroup>& groups = stream_.objectGroups;
  if (!roomFor(groups, static_cast<qint64>(count))) return false;
  TypedEntry& entry = stream_.entries[static_cast<std::size_t>(index)];
  entry.object = {classEntry, static_cast<std::uint32_t>(count),
                  static_cast<std::uint32_t>(groups.size())};
  groups.insert(groups.end(), pendingGroups_.begin() + static_cast<std::ptrdiff_t>(mark),
                pendingGroups_.end());
  pendingGroups_.resize(mark);
  into.kind = TypedValue::Kind::Entry;
  into.entry = index;
  return true;
}

bool TypedStreamReader::readClass(std::int32_t& entry, int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("class chain deeper than %1").arg(kMaxDepth));
  int head = 0;
  if (!readHead(head)) return false;
  if (head == kNil) {
    entry = -1;
    return true;
  }
  if (head != kNew) {
    qint64 ref = 0;
    if (!readIntegerAfter(head, ref)) return false;
    entry = static_cast<std::int32_t>(entryReference(ref, TypedEntry::Kind::Class, "class"));
    return entry >= 0;
  }
  TypedEntry cls;
  cls.kind = TypedEntry::Kind::Class;
  cls.named = {-1, 0, -1};
  bool isNil = false;
  if (!readSharedString(cls.named.name, isNil)) return false;
  if (isNil) return fail(QStringLiteral("class without a name"));
  qint64 version = 0;
  if (!readInteger(version)) return false;
  cls.named.version = static_cast<std::int32_t>(version);  // an integer form holds 32 bits at most
  entry = static_cast<std::int32_t>(stream_.entries.size());
  if (!roomFor(stream_.entries, 1)) return false;
  stream_.entries.push_back(cls);
  std::int32_t superclass = -1;
  if (!readClass(superclass, depth + 1)) return false;
  stream_.entries[static_cast<std::size_t>(entry)].named.superclassEntry = superclass;
  return true;
}

bool TypedStreamReader::readCString(TypedValue& into) {
  int head = 0;
  if (!readHead(head)) return false;
  if (head == kNil) {
    into.kind = TypedValue::Kind::Nil;
    return true;
  }
  into.kind = TypedValue::Kind::Entry;
  if (head != kNew) {
    qint64 ref = 0;
    if (!readIntegerAfter(head, ref)) return false;
    into.entry = entryReference(ref, TypedEntry::Kind::CString, "C string");
    return into.entry >= 0;
  }
  TypedEntry string;
  string.kind = TypedEntry::Kind::CString;
  string.named = {-1, 0, -1};
  bool isNil = false;
  if (!readSharedString(string.named.name, isNil)) return false;
  if (isNil) return fail(QStringLiteral("nil C string body"));
  into.entry = static_cast<qsizetype>(stream_.entries.size());
  if (!roomFor(stream_.entries, 1)) return false;
  stream_.entries.push_back(string);
  return true;
}
