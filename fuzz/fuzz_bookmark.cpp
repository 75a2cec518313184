#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "Common/ZVBookmark.h"

// Bookmarks come back from the settings file, which anyone may edit.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  bool stale = false;
  (void)ZVBookmark::urlForBookmark(bytes, stale);
  (void)ZVBookmark::urlForDocBookmark(bytes, QStringLiteral("/tmp/fuzz/Doc.qvlt"), stale);
  return 0;
}
