#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <span>
#include <vector>

// What a typedstream (the non-keyed archive format) holds, read without knowing the classes:
// groups of typed values, and a table of the objects, classes and C strings they reference.
// A stream holds a value for every few bytes, so values, groups and entries are small and
// kept in a few flat lists of the stream, found through it: a group's values, a struct's or
// array's elements and an object's groups each stand together in their list.
struct TypedValue {
  enum class Kind : std::uint8_t {
    Nil,
    Integer,  // integer types, and char/BOOL bytes
    Real,     // float and double
    Bytes,    // unshared bytes ("+"), char arrays
    Entry,    // an object, class or C string: index into TypedStream::entries
    Struct,   // the fields, in order
    Array,    // the elements, in order
  };
  Kind kind = Kind::Nil;
  // Bytes: their length; Struct and Array: the number of elements.
  std::uint32_t count = 0;
  // The one that kind names. first: where the bytes begin in TypedStream::bytes, or the
  // elements in TypedStream::values.
  union {
    qint64 integer = 0;
    double real;
    qsizetype entry;
    qsizetype first;
  };
};

// One type string and the values it describes ("ffff" and four reals).
struct TypedGroup {
  std::int32_t encoding = -1;  // index into TypedStream::strings
  std::uint32_t count = 0;     // values, from first in TypedStream::values
  std::uint32_t first = 0;
};

struct TypedEntry {
  enum class Kind : std::uint8_t { Object, Class, CString };
  Kind kind = Kind::Object;
  // The ones that kind names (an entry for every few bytes of a stream). Object: its class
  // entry and its own groups, from firstGroup in TypedStream::objectGroups. Class: its name
  // (index into TypedStream::strings), version and superclass entry (-1 for a root class).
  // CString: its bytes, as the name.
  struct Object {
    std::int32_t classEntry;
    std::uint32_t groupCount;
    std::uint32_t firstGroup;
  };
  struct Named {
    std::int32_t name;
    std::int32_t version;
    std::int32_t superclassEntry;
  };
  union {
    Object object = {-1, 0, 0};
    Named named;
  };
};

struct TypedStream {
  bool bigEndian = false;
  qint64 systemVersion = 0;
  std::vector<TypedGroup> groups;  // the stream's own, in order
  std::vector<TypedEntry> entries;

  std::vector<TypedValue> values;
  std::vector<TypedGroup> objectGroups;
  std::vector<QByteArray> strings;  // the shared strings: type strings, class names, C strings
  QByteArray bytes;                 // the Bytes values, end to end

  std::span<const TypedValue> valuesOf(const TypedGroup& group) const {
    return {values.data() + group.first, group.count};
  }
  // A struct's fields or an array's elements; none for other kinds.
  std::span<const TypedValue> elementsOf(const TypedValue& value) const {
    if (value.kind != TypedValue::Kind::Struct && value.kind != TypedValue::Kind::Array) return {};
    return {values.data() + value.first, value.count};
  }
  // An object's groups; none for classes and C strings.
  std::span<const TypedGroup> groupsOf(const TypedEntry& entry) const {
    if (entry.kind != TypedEntry::Kind::Object) return {};
    return {objectGroups.data() + entry.object.firstGroup, entry.object.groupCount};
  }
  // A Bytes value's bytes, valid as long as the stream; empty for other kinds.
  QByteArrayView bytesOf(const TypedValue& value) const {
    if (value.kind != TypedValue::Kind::Bytes) return {};
    return QByteArrayView(bytes.constData() + value.first, value.count);
  }
  const QByteArray& encodingOf(const TypedGroup& group) const { return stringAt(group.encoding); }
  // A class's name or a C string's bytes; empty for an object.
  const QByteArray& nameOf(const TypedEntry& entry) const {
    return stringAt(entry.kind == TypedEntry::Kind::Object ? -1 : entry.named.name);
  }

  // The class name of an object entry; empty when the index names no object.
  QByteArray classNameOf(qsizetype entry) const {
    if (entry < 0 || entry >= static_cast<qsizetype>(entries.size())) return {};
    const TypedEntry& e = entries[static_cast<std::size_t>(entry)];
    if (e.kind != TypedEntry::Kind::Object || e.object.classEntry < 0) return {};
    return nameOf(entries[static_cast<std::size_t>(e.object.classEntry)]);
  }

 private:
  const QByteArray& stringAt(std::int32_t index) const {
    static const QByteArray kNone;
    if (index < 0 || index >= static_cast<std::int32_t>(strings.size())) return kNone;
    return strings[static_cast<std::size_t>(index)];
  }
};
