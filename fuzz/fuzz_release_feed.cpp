#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "app/ZVReleaseFeed.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  auto feed = ZVReleaseFeed::fromData(bytes);
  if (!feed) return 0;
  // Links are kept only when the browser may be sent there.
  for (const QUrl& url : {feed.value().downloadUrl, feed.value().downloadPage})
    if (!url.isEmpty() && url.scheme() != u"https") __builtin_trap();
  return 0;
}
