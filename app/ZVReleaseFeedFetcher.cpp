#include "app/ZVReleaseFeedFetcher.h"

#include <memory>

#include "platform/UrlLoader.h"

namespace {
struct Run {
  UrlLoader& loader;
  QStringList mirrors;
  ZVReleaseFeedFetcher::Completion completion;
  qsizetype next = 0;
  QStringList reasons;
};

void tryNext(const std::shared_ptr<Run>& run) {
  if (run->next >= run->mirrors.size()) {
    run->completion(Failure{run->reasons.join(QStringLiteral("; "))});
    return;
  }
  const QString mirror = run->mirrors.at(run->next++);
  run->loader.load(QUrl(mirror, QUrl::StrictMode), [run, mirror](Result<QByteArray> bytes) {
    auto feed =
        bytes ? ZVReleaseFeed::fromData(bytes.value()) : Result<ZVReleaseFeed>(bytes.failure());
    if (feed) return run->completion(feed.take());
    run->reasons << mirror + QStringLiteral(": ") + feed.error();
    tryNext(run);
  });
}
}  // namespace

void ZVReleaseFeedFetcher::getDictionaryFromTheNet(UrlLoader& loader, const QStringList& mirrors,
                                                   Completion completion) {
  tryNext(std::make_shared<Run>(Run{loader, mirrors, std::move(completion), 0, {}}));
}
