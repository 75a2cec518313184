#pragma once

#include <QByteArray>

#include "platform/PropertyListObject.h"
#include "platform/Result.h"

// Reads a property list in either form the other editions write: binary ("bplist00") or XML.
class PropertyListSerialization {
 public:
  static Result<PropertyListRef> propertyListWithData(const QByteArray& bytes);
};
