#pragma once

#include <QByteArray>
#include <QHash>
#include <vector>

#include "platform/PropertyListObject.h"

// Writes a binary property list the way the macOS editions do: objects depth first with the
// root first and a dictionary's keys before its values; equal strings, numbers, dates, data
// and UIDs stored once; the smallest integer, reference and offset widths.
class BinaryPropertyListWriter {
 public:
  static QByteArray write(const PropertyListObject& root);

 private:
  // One slot of the object table: a node, or a dictionary key (a string known only by text).
  struct Slot {
    const PropertyListObject* object = nullptr;
    const QString* key = nullptr;
    std::vector<quint64> refs;
  };

  quint64 visit(const PropertyListObject& object);
  quint64 visitKey(const QString& key);
  void writeSlot(const Slot& slot, int refSize);
  void writeMarker(int type, quint64 count);
  void writeInteger(qint64 value, bool isUnsigned);
  void writeString(const QString& string);
  void writeBigEndian(quint64 value, int width);

  std::vector<Slot> slots_;
  QHash<QString, quint64> strings_;
  QHash<QByteArray, quint64> data_;
  QHash<qint64, quint64> integers_;
  QHash<quint64, quint64> unsignedIntegers_;
  QHash<quint64, quint64> reals_;
  QHash<quint64, quint64> dates_;
  QHash<quint64, quint64> uids_;
  // A node reached twice is written once, so a shared subtree cannot grow the file exponentially.
  QHash<const PropertyListObject*, quint64> containers_;
  QByteArray out_;
};
