#pragma once

#include <QByteArray>
#include <vector>

#include "platform/Result.h"
#include "platform/TypedStream.h"

// Walks a typedstream of either byte order by its general grammar (typed groups, objects,
// classes with versions, shared strings, integer and real forms), bounding every length,
// count, table reference and nesting level, so bad input gives an error, never a crash.
class TypedStreamReader {
 public:
  static constexpr int kMaxDepth = 256;
  // Array elements a whole stream may hold: each level of a nested array charges its count,
  // so a stream of arrays at least two long each needs under two elements per byte it holds.
  static constexpr qint64 kElementsPerByte = 4;
  static constexpr qint64 kMaxElements = qint64{1} << 20;

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
  bool fail(const QString& what);

  const QByteArray& bytes_;
  qsizetype position_ = 0;
  bool bigEndian_ = false;
  std::vector<QByteArray> sharedStrings_;
  // Type strings parsed once per shared string: a long one referenced by every group of a
  // stream must not be parsed again each time.
  std::vector<std::vector<Type>> parsedTypes_;
  std::vector<bool> isParsed_;
  qsizetype lastSharedString_ = -1;
  qint64 elementBudget_ = 0;
  TypedStream stream_;
  QString error_;
};
