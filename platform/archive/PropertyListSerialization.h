#pragma once

#include <QByteArray>

#include "platform/Result.h"
#include "platform/archive/PropertyListObject.h"

// Reads a property list in either form the other editions write: binary ("bplist00") or XML.
class PropertyListSerialization {
 public:
  static Result<PropertyListRef> propertyListWithData(const QByteArray& bytes);
};
