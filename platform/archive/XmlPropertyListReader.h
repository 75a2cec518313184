#pragma once

#include <QByteArray>

#include "platform/Result.h"
#include "platform/archive/PropertyListObject.h"

class QXmlStreamReader;

// Reads an XML property list ("<plist version="1.0">…") into the same tree of objects as the
// binary reader. Bad input gives an error naming the line and what is wrong: no entity
// declarations are taken (so none can expand), nesting is capped, and the tree grows with the
// input, never faster.
class XmlPropertyListReader {
 public:
  static constexpr int kMaxDepth = 512;

  static Result<PropertyListRef> read(const QByteArray& bytes);

 private:
  explicit XmlPropertyListReader(QXmlStreamReader& xml) : xml_(xml) {}

  Result<PropertyListRef> document();
  // The object whose start element the reader is on; leaves the reader on its end element.
  Result<PropertyListRef> object(int depth);
  Result<PropertyListRef> array(int depth);
  Result<PropertyListRef> dictionary(int depth);
  Result<PropertyListRef> scalar();
  // The next start element inside the current one, or false at its end.
  Result<bool> nextChild();
  Q_DECL_COLD_FUNCTION Failure fail(const QString& what) const;

  QXmlStreamReader& xml_;
};
