#include "app/ZVReleaseFeed.h"

#include "platform/archive/PropertyListSerialization.h"

namespace {
// Links from the feed open in the browser: only https ones, so a tampered or mistaken feed
// cannot send the user to a plain-text download or to another kind of address.
QUrl httpsUrl(const PropertyListObject* value) {
  if (!value || value->kind() != PropertyListObject::Kind::String) return {};
  QUrl url(value->stringValue(), QUrl::StrictMode);
  if (!url.isValid() || url.scheme() != u"https" || url.host().isEmpty()) return {};
  return url;
}
}  // namespace

Result<ZVReleaseFeed> ZVReleaseFeed::fromData(const QByteArray& bytes) {
  if (bytes.size() > kMaxBytes)
    return Failure{QStringLiteral("release feed: larger than %1 bytes").arg(kMaxBytes)};
  auto plist = PropertyListSerialization::propertyListWithData(bytes);
  if (!plist) return Failure{QStringLiteral("release feed: ") + plist.error()};
  return fromPropertyList(*plist.value());
}

Result<ZVReleaseFeed> ZVReleaseFeed::fromPropertyList(const PropertyListObject& root) {
  if (root.kind() != PropertyListObject::Kind::Dictionary)
    return Failure{QStringLiteral("release feed: the root is not a dictionary")};
  const PropertyListObject* latest = root.valueForKey(u"LRA");
  if (!latest) return Failure{QStringLiteral("release feed: no LRA")};
  if (latest->kind() != PropertyListObject::Kind::Integer || latest->isUnsigned())
    return Failure{QStringLiteral("release feed: LRA is not an integer")};
  ZVReleaseFeed feed;
  feed.latestRelease = latest->integerValue();
  feed.downloadUrl = httpsUrl(root.valueForKey(u"GFU"));
  feed.downloadPage = httpsUrl(root.valueForKey(u"DPU"));
  return feed;
}
