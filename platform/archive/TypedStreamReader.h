#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "platform/Result.h"
#include "platform/archive/TypedStream.h"

// Walks a typedstream of either byte order by its general grammar (typed groups, objects,
// classes with versions, shared strings, integer and real forms), bounding every length,
// count, table reference and nesting level, so bad input gives an error, never a crash.
class TypedStreamReader {
 public:
  static constexpr int kMaxDepth = 256;
  // The most memory reading a stream may hold at once, in bytes a byte of it (a short stream
  // counts as kSmallStream bytes), less room for the error text. Every allocation is charged
  // as it is made and every buffer the reader frees is given back, so a stream whose values
  // would take more is refused before they do. Real streams take less than half of it.
  static constexpr qint64 kHeapBytesPerByte = 32;
  static constexpr qint64 kSmallStream = 4096;
  static constexpr qint64 kErrorRoom = 1024;
  // The lists of a stream count in 32 bits.
  static constexpr qsizetype kMaxStream = 0x7fffffff;

  static Result<TypedStream> read(const QByteArray& bytes);

 private:
  // A type encoding parsed into a tree: "{CGSize=dd}" is a struct of two doubles.
  struct Type {
    char code = 0;
    qint64 count = 0;  // array length
    std::vector<Type> fields;
  };

  explicit TypedStreamReader(const QByteArray& bytes) : bytes_(bytes) {}

  Result<TypedStream> readAll();
  bool readHeader();
  bool readGroup(std::vector<TypedGroup>& into, int depth);
  // Reads into stream_.values[at], which reading it may move.
  bool readValue(const Type& type, std::size_t at, int depth);
  bool readObject(TypedValue& into, int depth);
  bool readClass(std::int32_t& entry, int depth);
  bool readCString(TypedValue& into);
  // A shared string's index in stream_.strings; isNil set for the nil head.
  bool readSharedString(std::int32_t& into, bool& isNil);
  bool readSharedStringAfter(int head, std::int32_t& into, bool& isNil);
  bool readIntegerAfter(int head, qint64& into);
  bool readInteger(qint64& into);
  bool readReal(char code, double& into);
  bool readHead(int& head);
  bool readRaw(qsizetype n, quint64& into);
  bool readBytes(qint64 n, QByteArray& into);
  // n bytes appended to stream_.bytes, as a Bytes value.
  bool readBytesValue(qint64 n, TypedValue& into);
  bool parseTypes(const QByteArray& encoding, qsizetype& at, std::vector<Type>& into, int depth,
                  char until);
  qsizetype entryReference(qint64 ref, TypedEntry::Kind kind, const char* what);
  // Takes bytes from the budget, or fails when they are more than it holds.
  bool charge(qint64 bytes);
  // Room for n more items in a list the reader keeps, its growth charged.
  template <class T>
  bool roomFor(std::vector<T>& list, qint64 n);
  // n values made at the end of stream_.values; the first one's index in first.
  bool makeValues(qint64 n, const char* what, std::size_t& first);
  bool fail(const QString& what);

  const QByteArray& bytes_;
  qsizetype position_ = 0;
  bool bigEndian_ = false;
  // The parsed types of each shared string once a group has used it as its type string:
  // parsed once, as a long one may be referenced by every group of a stream, and held apart
  // so that groups being read hold on to them while the table grows.
  std::vector<std::unique_ptr<const std::vector<Type>>> types_;
  std::int32_t lastSharedString_ = -1;
  // The groups of the objects being read, innermost last; each object's move to
  // stream_.objectGroups together when it ends.
  std::vector<TypedGroup> pendingGroups_;
  // Bytes the reader may still allocate.
  qint64 budget_ = 0;
  TypedStream stream_;
  QString error_;
};
