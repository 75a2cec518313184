#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Color.h"
#include "platform/Result.h"
#include "platform/archive/TypedStream.h"

// A colour read from a non-keyed archive, with the names a catalogue colour carries.
struct ArchivedColor {
  Color color;
  QString catalogName;  // empty unless the archive names its colour
  QString colorName;
};

// The NSUnarchiver stand-in for the colour objects older documents hold: decodes an NSColor
// from a typedstream. A colour space it cannot represent is an error, not a guess.
class ColorUnarchiver {
 public:
  static constexpr int kMaxNamedDepth = 8;

  static Result<ArchivedColor> unarchiveObjectWithData(const QByteArray& data);
  // The NSColor at entry of an already read stream (for colour lists holding many).
  static Result<ArchivedColor> colorAt(const TypedStream& stream, qsizetype entry);
  // The text of an NSString at entry.
  static Result<QString> stringAt(const TypedStream& stream, qsizetype entry);

 private:
  static Result<ArchivedColor> colorAt(const TypedStream& stream, qsizetype entry, int depth);
};
