#pragma once

#include <QList>
#include <QStringList>
#include <QTimer>
#include <map>
#include <utility>

#include "platform/UrlLoader.h"

// Canned answers by address, in place of the network. Answers come from the event loop, as
// the network's would, unless immediate is set (suites without an event loop); an address in
// held stays unanswered until release().
class FakeUrlLoader : public UrlLoader {
 public:
  std::map<QString, Result<QByteArray>> answers;  // an address not listed fails
  QStringList held;
  bool immediate = false;
  QStringList requested;

  void load(const QUrl& url, Completion completion) override {
    const QString address = url.toString();
    requested << address;
    if (held.contains(address)) {
      waiting_ << std::make_pair(address, std::move(completion));
      return;
    }
    answer(address, std::move(completion));
  }

  void release() {
    const auto waiting = std::exchange(waiting_, {});
    for (const auto& [address, completion] : waiting) {
      held.removeAll(address);
      answer(address, completion);
    }
  }

 private:
  void answer(const QString& address, Completion completion) {
    const auto found = answers.find(address);
    Result<QByteArray> result = found != answers.end()
                                    ? found->second
                                    : Result<QByteArray>(Failure{QStringLiteral("unreachable")});
    if (immediate) return completion(std::move(result));
    QTimer::singleShot(0, [completion = std::move(completion), result] { completion(result); });
  }

  QList<std::pair<QString, Completion>> waiting_;
};
