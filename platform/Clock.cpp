#include "platform/Clock.h"

#include <chrono>

#include "platform/Date.h"

namespace {
Clock::Source& installedSource() {
  static Clock::Source source;
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
