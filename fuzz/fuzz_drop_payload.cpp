// Drags from other applications: whatever text and URI list a drag carries, a drop area
// takes at most what it should, never an address over the size limit or of another scheme.
#include <QList>
#include <QString>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Common/DropPayload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the area and the allowed actions; the rest is the drag's text,
  // also read as a URI list, one per line, as a text/uri-list drag carries it.
  const auto accepts = DropPayload::Accepts(data[0] % 3);
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  DropPayload::Offer offer;
  offer.copyOrLinkAllowed = data[0] & 0x80;
  offer.text = text;
  for (const QString& line : text.split(u'\n'))
    if (!line.isEmpty()) offer.urls << QUrl(line);
  const auto items = DropPayload::accepted(accepts, offer);
  if (!offer.copyOrLinkAllowed && !items.empty()) std::abort();
  if (accepts != DropPayload::Accepts::Files && items.size() > 1) std::abort();
  for (const auto& item : items) {
    if (item.kind == DropPayload::Item::WebAddress &&
        (!DropPayload::isWebAddress(item.text) ||
         item.text.toUtf8().size() > DropPayload::kMaxTextBytes))
      std::abort();
  }
  return 0;
}
