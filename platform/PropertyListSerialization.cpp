#include "platform/PropertyListSerialization.h"

#include "platform/BinaryPropertyListReader.h"
#include "platform/XmlPropertyListReader.h"

Result<PropertyListRef> PropertyListSerialization::propertyListWithData(const QByteArray& bytes) {
  if (bytes.startsWith("bplist")) return BinaryPropertyListReader::read(bytes);
  return XmlPropertyListReader::read(bytes);
}
