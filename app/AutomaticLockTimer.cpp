#include "app/AutomaticLockTimer.h"

#include <algorithm>

#include "platform/Clock.h"

AutomaticLockTimer::AutomaticLockTimer(QObject* parent) : QObject(parent) {
  wakeUp_.setSingleShot(true);
  connect(&wakeUp_, &QTimer::timeout, this, &AutomaticLockTimer::checkDeadline);
}

std::optional<qint64> AutomaticLockTimer::delayMs(qint64 seconds) {
  if (seconds < 1) return std::nullopt;
  // Capped at a year so the deadline never overflows.
  return std::clamp<qint64>(seconds, 30, 365LL * 24 * 3600) * 1000;
}

void AutomaticLockTimer::setAutomaticLockWithTimeInterval(qint64 seconds) {
  wakeUp_.stop();
  deadline_.reset();
  if (const auto delay = delayMs(seconds)) {
    deadline_ = Clock::bootMs() + *delay;
    checkDeadline();
  }
}

void AutomaticLockTimer::checkDeadline() {
  if (!deadline_) return;
  const qint64 left = *deadline_ - Clock::bootMs();
  if (left <= 0) {
    wakeUp_.stop();
    deadline_.reset();
    Q_EMIT lockDue();
    return;
  }
  // The event loop's timers stop while the machine sleeps; looking at the clock at least
  // once a minute bounds the delay where no wake notice comes.
  wakeUp_.start(static_cast<int>(std::min<qint64>(left, 60'000)));
}
