#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// What a typedstream (the non-keyed archive format) holds, read without knowing the classes:
// groups of typed values, and a table of the objects, classes and C strings they reference.
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
  // The one that kind names: integer, real, or for Kind::Entry the index into
  // TypedStream::entries (kept in one place: a stream holds a value for every byte or so).
  union {
    qint64 integer = 0;
    double real;
    qsizetype entry;
  };
  QByteArray bytes;
  std::vector<TypedValue> elements;
};

// One type string and the values it describes ("ffff" and four reals).
struct TypedGroup {
  QByteArray encoding;
  std::vector<TypedValue> values;
};

struct TypedEntry {
  enum class Kind : std::uint8_t { Object, Class, CString };
  Kind kind = Kind::Object;
  // Object: the class entry and the object's own groups.
  qsizetype classEntry = -1;
  std::vector<TypedGroup> groups;
  // Class: its name, version and superclass entry (-1 for a root class). CString: the bytes.
  QByteArray name;
  qint64 version = 0;
  qsizetype superclassEntry = -1;
};

struct TypedStream {
  bool bigEndian = false;
  qint64 systemVersion = 0;
  std::vector<TypedGroup> groups;
  std::vector<TypedEntry> entries;

  // The class name of an object entry; empty when the index names no object.
  QByteArray classNameOf(qsizetype entry) const {
    if (entry < 0 || entry >= static_cast<qsizetype>(entries.size())) return {};
    const TypedEntry& e = entries[static_cast<std::size_t>(entry)];
    if (e.kind != TypedEntry::Kind::Object || e.classEntry < 0) return {};
    return entries[static_cast<std::size_t>(e.classEntry)].name;
  }
};
