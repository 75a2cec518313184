#include "platform/BinaryPropertyListWriter.h"

QByteArray BinaryPropertyListWriter::write(const PropertyListObject& root) {
  BinaryPropertyListWriter writer;
  return BinaryPropertyListObjectTable::write([&](BinaryPropertyListObjectTable& table) {
    writer.containers_.clear();
    writer.visit(table, root, true);
  });
}

quint64 BinaryPropertyListWriter::visit(BinaryPropertyListObjectTable& table,
                                        const PropertyListObject& object, bool shared) {
  using Kind = PropertyListObject::Kind;
  switch (object.kind()) {
    case Kind::Null:
      return table.addNull();
    case Kind::Boolean:
      return table.addBoolean(object.boolValue());
    case Kind::Integer:
      return table.addInteger(object.integerValue(), object.isUnsigned());
    case Kind::Real:
      return table.addReal(object.realValue());
    case Kind::Date:
      return table.addDate(object.realValue());
    case Kind::Data:
      return table.addData(object.dataValue());
    case Kind::String:
      return table.addString(object.stringValue());
    case Kind::Uid:
      return table.addUid(object.uidValue());
    case Kind::Array:
    case Kind::Set:
    case Kind::Dictionary:
      break;
  }
  // Nodes are immutable and acyclic, so one with a single owner has a single parent and
  // cannot be reached again: only shared ones need remembering.
  if (shared) {
    if (auto it = containers_.constFind(&object); it != containers_.cend()) return *it;
  }
  const auto& keys = object.keys();
  const auto& items = object.items();
  const quint64 index = object.kind() == Kind::Array ? table.addArray(items.size())
                        : object.kind() == Kind::Set ? table.addSet(items.size())
                                                     : table.addDictionary(keys.size());
  if (shared) containers_.insert(&object, index);
  quint64 position = 0;
  for (const QString& key : keys) table.setReference(index, position++, table.addString(key));
  for (const auto& item : items)
    table.setReference(index, position++, visit(table, *item, item.use_count() != 1));
  return index;
}
