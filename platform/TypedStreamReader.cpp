#include "platform/TypedStreamReader.h"

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
bool TypedStreamReader::roomForOne(std::vector<T>& list) {
  if (list.size() < list.capacity()) return true;
  const std::size_t capacity = std::max<std::size_t>(1, 2 * list.capacity());
  // Both buffers are held while the items move over; then the old one is freed.
  if (!charge(blockCost(static_cast<qint64>(capacity * sizeof(T))))) return false;
  if (list.capacity() > 0) budget_ += blockCost(static_cast<qint64>(list.capacity() * sizeof(T)));
  list.reserve(capacity);
  return true;
}

bool TypedStreamReader::makeValues(std::vector<TypedValue>& into, qint64 n, const char* what) {
  if (n > budget_ / static_cast<qint64>(sizeof(TypedValue)) ||
      !charge(blockCost(n * static_cast<qint64>(sizeof(TypedValue)))))
    return fail(QStringLiteral("%1 of %2 is more than the stream can hold")
                    .arg(QLatin1String(what))
                    .arg(n));
  into.resize(static_cast<std::size_t>(n));
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

bool TypedStreamReader::readSharedString(QByteArray& into, bool& isNil) {
  int head = 0;
  return readHead(head) && readSharedStringAfter(head, into, isNil);
}

bool TypedStreamReader::readSharedStringAfter(int head, QByteArray& into, bool& isNil) {
  isNil = head == kNil;
  if (isNil) return true;
  if (head == kNew) {
    qint64 length = 0;
    if (!readInteger(length) || !readBytes(length, into) || !roomForOne(sharedStrings_))
      return false;
    lastSharedString_ = static_cast<qsizetype>(sharedStrings_.size());
    sharedStrings_.push_back({into, nullptr});
    return true;
  }
  qint64 ref = 0;
  if (!readIntegerAfter(head, ref)) return false;
  const qint64 index = ref + kReferenceBase;
  if (index < 0 || index >= static_cast<qint64>(sharedStrings_.size()))
    return fail(QStringLiteral("shared string %1 of %2").arg(index).arg(sharedStrings_.size()));
  into = sharedStrings_[static_cast<std::size_t>(index)].bytes;
  lastSharedString_ = static_cast<qsizetype>(index);
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
    if (!roomForOne(into)) return false;
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
  if (isNil || group.encoding.isEmpty()) return fail(QStringLiteral("missing type string"));
  SharedString& shared = sharedStrings_[static_cast<std::size_t>(lastSharedString_)];
  if (!shared.types) {
    auto types = std::make_unique<std::vector<Type>>();
    qsizetype at = 0;
    // The vector object's own block, before the types it will hold.
    if (!charge(blockCost(qint64(sizeof(*types)))) ||  // NOLINT(bugprone-sizeof-container)
        !parseTypes(group.encoding, at, *types, 0, 0))
      return false;
    shared.types = std::move(types);
  }
  // Held apart from the table, which reading the values may grow.
  const std::vector<Type>& types = *shared.types;
  if (!makeValues(group.values, static_cast<qint64>(types.size()), "group")) return false;
  for (std::size_t i = 0; i < types.size(); ++i)
    if (!readValue(types[i], group.values[i], depth)) return false;
  if (!roomForOne(into)) return false;
  into.push_back(std::move(group));
  return true;
}

bool TypedStreamReader::readValue(const Type& type, TypedValue& into, int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  quint64 raw = 0;
  switch (type.code) {
    case 'c':
    case 'C':
    case 'B':
      if (!readRaw(1, raw)) return false;
      into.kind = TypedValue::Kind::Integer;
      into.integer = type.code == 'c' ? static_cast<qint8>(raw) : static_cast<qint64>(raw);
      return true;
    case 's':
    case 'S':
    case 'i':
    case 'I':
    case 'l':
    case 'L':
    case 'q':
    case 'Q': {
      into.kind = TypedValue::Kind::Integer;
      if (!readInteger(into.integer)) return false;
      // Unsigned types are stored in the same signed forms.
      if (type.code == 'S') into.integer = static_cast<quint16>(into.integer);
      if (type.code == 'I' || type.code == 'L') into.integer = static_cast<quint32>(into.integer);
      return true;
    }
    case 'f':
    case 'd':
      into.kind = TypedValue::Kind::Real;
      return readReal(type.code, into.real);
    case '@':
      return readObject(into, depth + 1);
    case '#': {
      qsizetype entry = -1;
      if (!readClass(entry, depth + 1)) return false;
      into.kind = entry < 0 ? TypedValue::Kind::Nil : TypedValue::Kind::Entry;
      into.entry = entry;
      return true;
    }
    case '*':
      return readCString(into);
    case '+': {
      qint64 length = 0;
      into.kind = TypedValue::Kind::Bytes;
      return readInteger(length) && readBytes(length, into.bytes);
    }
    case '{':
      into.kind = TypedValue::Kind::Struct;
      if (!makeValues(into.elements, static_cast<qint64>(type.fields.size()), "struct"))
        return false;
      for (std::size_t i = 0; i < type.fields.size(); ++i)
        if (!readValue(type.fields[i], into.elements[i], depth + 1)) return false;
      return true;
    case '[': {
      const Type& element = type.fields.front();
      if (element.code == 'c' || element.code == 'C' || element.code == 'B') {
        into.kind = TypedValue::Kind::Bytes;
        return readBytes(type.count, into.bytes);
      }
      // Every element takes at least one byte.
      if (type.count > bytes_.size() - position_)
        return fail(QStringLiteral("array of %1 runs past the end").arg(type.count));
      // Nested arrays allocate every level before a byte of their elements is read.
      into.kind = TypedValue::Kind::Array;
      if (!makeValues(into.elements, type.count, "array")) return false;
      for (auto& e : into.elements)
        if (!readValue(element, e, depth + 1)) return false;
      return true;
    }
    default:
      return fail(QStringLiteral("unsupported type '%1'").arg(QLatin1Char(type.code)));
  }
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
  if (!roomForOne(stream_.entries)) return false;
  stream_.entries.push_back(TypedEntry{});
  qsizetype classEntry = -1;
  if (!readClass(classEntry, depth + 1)) return false;
  if (classEntry < 0) return fail(QStringLiteral("object %1 without a class").arg(index));
  std::vector<TypedGroup> groups;
  for (;;) {
    if (position_ >= bytes_.size())
      return fail(QStringLiteral("object %1 is not ended").arg(index));
    if (static_cast<unsigned char>(bytes_[position_]) == kEnd) {
      ++position_;
      break;
    }
    if (!readGroup(groups, depth + 1)) return false;
  }
  TypedEntry& entry = stream_.entries[static_cast<std::size_t>(index)];
  entry.classEntry = classEntry;
  entry.groups = std::move(groups);
  into.kind = TypedValue::Kind::Entry;
  into.entry = index;
  return true;
}

bool TypedStreamReader::readClass(qsizetype& entry, int depth) {
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
    entry = entryReference(ref, TypedEntry::Kind::Class, "class");
    return entry >= 0;
  }
  TypedEntry cls;
  cls.kind = TypedEntry::Kind::Class;
  bool isNil = false;
  if (!readSharedString(cls.name, isNil)) return false;
  if (isNil) return fail(QStringLiteral("class without a name"));
  if (!readInteger(cls.version)) return false;
  entry = static_cast<qsizetype>(stream_.entries.size());
  if (!roomForOne(stream_.entries)) return false;
  stream_.entries.push_back(std::move(cls));
  qsizetype superclass = -1;
  if (!readClass(superclass, depth + 1)) return false;
  stream_.entries[static_cast<std::size_t>(entry)].superclassEntry = superclass;
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
  bool isNil = false;
  if (!readSharedString(string.name, isNil)) return false;
  if (isNil) return fail(QStringLiteral("nil C string body"));
  into.entry = static_cast<qsizetype>(stream_.entries.size());
  if (!roomForOne(stream_.entries)) return false;
  stream_.entries.push_back(std::move(string));
  return true;
}
