#pragma once

#include <QByteArray>
#include <vector>

#include "platform/Result.h"
#include "platform/archive/BinaryPropertyListView.h"
#include "platform/archive/PropertyListObject.h"

// Reads a whole binary property list ("bplist00") into a tree of objects, keeping objects
// that are reached twice shared, so that a damaged or hostile file gives an error naming what
// is wrong and where, never a crash, a hang or an exponential blow-up.
class BinaryPropertyListReader {
 public:
  static constexpr int kMaxDepth = 512;

  static Result<PropertyListRef> read(const QByteArray& bytes);

 private:
  explicit BinaryPropertyListReader(const BinaryPropertyListView& view);

  Result<PropertyListRef> object(quint64 index, int depth);
  Result<PropertyListRef> parseObject(quint64 index, int depth);
  Result<std::vector<PropertyListRef>> references(const BinaryPropertyListView::Object& container,
                                                  quint64 first, int depth);

  const BinaryPropertyListView& view_;
  std::vector<PropertyListRef> decoded_;
  // 0: not reached, 1: on the current path (reaching it again is a cycle), 2: decoded.
  std::vector<unsigned char> state_;
};
