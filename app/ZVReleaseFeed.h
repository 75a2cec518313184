#pragma once

#include <QByteArray>
#include <QUrl>

#include "platform/Result.h"
#include "platform/archive/PropertyListObject.h"

// The release feed the maker publishes: a property list (binary or XML) whose root dictionary
// names the latest release and where to get it. Anything else is refused with the reason, and
// the check then treats the mirror as one that did not answer.
struct ZVReleaseFeed {
  // No published feed comes near this; a larger answer is not one.
  static constexpr qsizetype kMaxBytes = qsizetype{1024} * 1024;

  qint64 latestRelease = 0;  // LRA, on the scale of the application's release number
  QUrl downloadUrl;          // GFU: the latest release itself; empty unless an https URL
  QUrl downloadPage;         // DPU: the download page; empty unless an https URL

  static Result<ZVReleaseFeed> fromData(const QByteArray& bytes);
  static Result<ZVReleaseFeed> fromPropertyList(const PropertyListObject& root);
};
