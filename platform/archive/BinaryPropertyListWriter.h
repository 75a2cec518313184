#pragma once

#include <QByteArray>
#include <QHash>

#include "platform/archive/BinaryPropertyListObjectTable.h"
#include "platform/archive/PropertyListObject.h"

// Writes a binary property list the way the macOS editions do: objects depth first with the
// root first and a dictionary's keys before its values; equal strings, numbers, dates, data
// and UIDs stored once; the smallest integer, reference and offset widths.
class BinaryPropertyListWriter {
 public:
  static QByteArray write(const PropertyListObject& root);

 private:
  quint64 visit(const PropertyListObject& object, bool shared);

  BinaryPropertyListObjectTable table_;
  // A node reached twice is written once, so a shared subtree cannot grow the file exponentially.
  QHash<const PropertyListObject*, quint64> containers_;
};
