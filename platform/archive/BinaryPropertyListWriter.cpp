#include "platform/archive/BinaryPropertyListWriter.h"

QByteArray BinaryPropertyListWriter::write(const PropertyListObject& root) {
  BinaryPropertyListWriter writer;
  writer.visit(root, true);
  return writer.table_.write();
}

quint64 BinaryPropertyListWriter::visit(const PropertyListObject& object, bool shared) {
  using Kind = PropertyListObject::Kind;
  switch (object.kind()) {
    case Kind::Null:
      return table_.addNull();
    case Kind::Boolean:
      return table_.addBoolean(object.boolValue());
    case Kind::Integer:
      return table_.addInteger(object.integerValue(), object.isUnsigned());
    case Kind::Real:
      return table_.addReal(object.realValue());
    case Kind::Date:
      return table_.addDate(object.realValue());
    case Kind::Data:
      return table_.addData(object.dataValue());
    case Kind::String:
      return table_.addString(object.stringValue());
    case Kind::Uid:
      return table_.addUid(object.uidValue());
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
  const quint64 index = object.kind() == Kind::Array ? table_.addArray(items.size())
                        : object.kind() == Kind::Set ? table_.addSet(items.size())
                                                     : table_.addDictionary(keys.size());
  if (shared) containers_.insert(&object, index);
  quint64 position = 0;
  for (const QString& key : keys) table_.setReference(index, position++, table_.addString(key));
  for (const auto& item : items)
    table_.setReference(index, position++, visit(*item, item.use_count() != 1));
  return index;
}
