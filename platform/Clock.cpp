#include "platform/Clock.h"

#include <time.h>

#include <chrono>

#include "platform/Date.h"

namespace {
Clock::Source& installedSource() {
  static Clock::Source source;
  return source;
}

Clock::MsSource& installedBootSource() {
  static Clock::MsSource source;
  return source;
}
}  // namespace

Date Clock::now() {
  if (const auto& source = installedSource()) return source();
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const double unix = std::chrono::duration<double>(sinceEpoch).count();
  return Date::fromUnixSeconds(unix);
}

void Clock::setSource(Source source) { installedSource() = std::move(source); }

qint64 Clock::bootMs() {
  if (const auto& source = installedBootSource()) return source();
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void Clock::setBootSource(MsSource source) { installedBootSource() = std::move(source); }
