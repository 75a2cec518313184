#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "platform/Result.h"
#include "platform/TypedStream.h"

// Walks a typedstream of either byte order by its general grammar (typed groups, objects,
// classes with versions, shared strings, integer and real forms), bounding every length,
// count, table reference and nesting level, so bad input gives an error, never a crash.
class TypedStreamReader {
 public:
  static constexpr int kMaxDepth = 256;
  // The most memory reading a stream may hold at once, in bytes a byte of it (a short stream
  // counts as kSmallStream bytes), less room for the error text. Every allocation is charged
  // as it is made and every buffer the reader frees is given back, so a stream whose values
  // would take more is refused before they do.
  static constexpr qint64 kHeapBytesPerByte = 32;
  static constexpr qint64 kSmallStream = 4096;
  static constexpr qint64 kErrorRoom = 1024;

  static Result<TypedStream> read(const QByteArray& bytes);

 private:
  // A type encoding parsed into a tree: "{CGSize=dd}" is a struct of two doubles.
  struct Type {
    char code = 0;
    qint64 count = 0;  // array length
    std::vector<Type> fields;
  };
  // A shared string, with its types once a group has used it as its type string: parsed once,
  // as a long one may be referenced by every group of a stream, and kept apart so that groups
  // being read hold on to them while the table grows.
  struct SharedString {
    QByteArray bytes;
    std::unique_ptr<const std::vector<Type>> types;
  };

  explicit TypedStreamReader(const QByteArray& bytes) : bytes_(bytes) {}

  Result<TypedStream> readAll();
  bool readHeader();
  bool readGroup(std::vector<TypedGroup>& into, int depth);
  bool readValue(const Type& type, TypedValue& into, int depth);
  bool readObject(TypedValue& into, int depth);
  bool readClass(qsizetype& entry, int depth);
  bool readCString(TypedValue& into);
  // A shared string; isNil set for the nil head.
  bool readSharedString(QByteArray& into, bool& isNil);
  bool readSharedStringAfter(int head, QByteArray& into, bool& isNil);
  bool readIntegerAfter(int head, qint64& into);
  bool readInteger(qint64& into);
  bool readReal(char code, double& into);
  bool readHead(int& head);
  bool readRaw(qsizetype n, quint64& into);
  bool readBytes(qint64 n, QByteArray& into);
  bool parseTypes(const QByteArray& encoding, qsizetype& at, std::vector<Type>& into, int depth,
                  char until);
  qsizetype entryReference(qint64 ref, TypedEntry::Kind kind, const char* what);
  // Takes bytes from the budget, or fails when they are more than it holds.
  bool charge(qint64 bytes);
  // Room for one more item in a list the reader keeps, its growth charged.
  template <class T>
  bool roomForOne(std::vector<T>& list);
  // n values, charged and made.
  bool makeValues(std::vector<TypedValue>& into, qint64 n, const char* what);
  bool fail(const QString& what);

  const QByteArray& bytes_;
  qsizetype position_ = 0;
  bool bigEndian_ = false;
  std::vector<SharedString> sharedStrings_;
  qsizetype lastSharedString_ = -1;
  // Bytes the reader may still allocate.
  qint64 budget_ = 0;
  TypedStream stream_;
  QString error_;
};
