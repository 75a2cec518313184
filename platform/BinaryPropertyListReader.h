#pragma once

#include <QByteArray>
#include <vector>

#include "platform/PropertyListObject.h"
#include "platform/Result.h"

// Reads a binary property list ("bplist00"), checking every size, offset and reference
// against the bytes at hand, so that a damaged or hostile file gives an error naming what is
// wrong and where, never a crash, a hang or an exponential blow-up.
class BinaryPropertyListReader {
 public:
  static constexpr int kMaxDepth = 512;

  static Result<PropertyListRef> read(const QByteArray& bytes);

 private:
  explicit BinaryPropertyListReader(const QByteArray& bytes) : bytes_(bytes) {}

  Result<PropertyListRef> readAll();
  Result<quint64> offsetOfObject(quint64 index) const;
  Result<PropertyListRef> object(quint64 index, int depth);
  Result<PropertyListRef> parseObject(quint64 index, int depth);
  Result<quint64> count(quint64 index, quint64& position, int info) const;
  Result<std::vector<PropertyListRef>> references(quint64 index, quint64& position, quint64 n,
                                                  int depth);
  quint64 readUnsigned(quint64 position, int width) const;
  Failure fail(quint64 index, quint64 position, const QString& what) const;

  const QByteArray& bytes_;
  int offsetSize_ = 0;
  int refSize_ = 0;
  quint64 objectCount_ = 0;
  quint64 topObject_ = 0;
  quint64 offsetTableOffset_ = 0;
  std::vector<PropertyListRef> decoded_;
  // 0: not reached, 1: on the current path (reaching it again is a cycle), 2: decoded.
  std::vector<unsigned char> state_;
};
