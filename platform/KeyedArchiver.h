#pragma once

#include <QByteArray>
#include <QHash>
#include <vector>

#include "platform/PropertyListObject.h"
#include "platform/Result.h"
#include "platform/Value.h"

// Makes a keyed archive (the NSKeyedArchiver format: a binary property list of numbered
// objects) of a value of the document model, with the class names the macOS editions write.
class KeyedArchiver {
 public:
  static constexpr int kMaxDepth = 512;

  // Fails for an absent root or element, a container that contains itself, a non-finite
  // rectangle, or nesting deeper than kMaxDepth.
  static Result<QByteArray> archivedDataWithRootObject(const Value& root);

 private:
  KeyedArchiver();

  Result<quint32> encode(const Value& value, int depth);
  Result<quint32> encodeContainer(const Value& value, int depth);
  quint32 encodeString(const QString& string);
  quint32 reserve();
  // One node per UID value: records repeat the same few references thousands of times.
  PropertyListRef uidNode(quint32 value);
  quint32 classRecord(const QString& name);
  PropertyListRef object(const QString& className, std::vector<QString> keys,
                         std::vector<PropertyListRef> values);

  std::vector<PropertyListRef> objects_;
  std::vector<PropertyListRef> uids_;
  QHash<QString, quint32> strings_;
  QHash<QString, quint32> classes_;
  QHash<QByteArray, quint32> scalars_;
  QHash<const void*, quint32> containers_;
  QHash<const void*, bool> onPath_;
};
