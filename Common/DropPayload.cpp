#include "Common/DropPayload.h"

namespace DropPayload {

bool isWebAddress(const QString& text) {
  return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

std::vector<Item> accepted(Accepts accepts, const Offer& offer) {
  if (!offer.copyOrLinkAllowed) return {};
  std::vector<Item> files, web;
  for (const QUrl& url : offer.urls) {
    if (url.isLocalFile()) {
      files.push_back({Item::FilePath, url.toLocalFile()});
    } else {
      const QString text = url.toString();
      if (text.toUtf8().size() <= kMaxTextBytes && isWebAddress(text))
        web.push_back({Item::WebAddress, text});
    }
  }
  if (accepts == Accepts::Files) return files;
  if (accepts == Accepts::FileOrUrl) {
    if (!files.empty()) return {files.front()};
    if (!web.empty()) return {web.front()};
  } else if (!web.empty()) {
    return {web.front()};
  }
  if (offer.urls.isEmpty() && offer.text) {
    const QString text = offer.text->trimmed();
    if (offer.text->toUtf8().size() <= kMaxTextBytes && isWebAddress(text) && !text.contains(u'\n'))
      return {{Item::WebAddress, text}};
  }
  return {};
}

}  // namespace DropPayload
