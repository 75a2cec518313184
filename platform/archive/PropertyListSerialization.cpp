#include "platform/archive/PropertyListSerialization.h"

#include "platform/archive/BinaryPropertyListReader.h"
#include "platform/archive/XmlPropertyListReader.h"

Result<PropertyListRef> PropertyListSerialization::propertyListWithData(const QByteArray& bytes) {
  if (bytes.startsWith("bplist")) return BinaryPropertyListReader::read(bytes);
  return XmlPropertyListReader::read(bytes);
}
