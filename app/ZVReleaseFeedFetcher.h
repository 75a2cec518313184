#pragma once

#include <QStringList>
#include <functional>

#include "app/ZVReleaseFeed.h"
#include "platform/Result.h"

class UrlLoader;

// Asks the feed's mirrors in order and stops at the first that gives a sound feed: a mirror
// that cannot be reached, answers with an error or answers something that is not a feed is
// passed over alike.
class ZVReleaseFeedFetcher {
 public:
  using Completion = std::function<void(Result<ZVReleaseFeed>)>;

  // completion runs once, on the loader's thread; the failure names every mirror's reason.
  // mirrors must not be empty.
  static void getDictionaryFromTheNet(UrlLoader& loader, const QStringList& mirrors,
                                      Completion completion);
};
