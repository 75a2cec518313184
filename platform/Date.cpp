#include "platform/Date.h"

#include <cmath>

#include "platform/Clock.h"

Date Date::now() { return Clock::now(); }

Date Date::fromDateTime(const QDateTime& dateTime) {
  return fromUnixSeconds(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

QDateTime Date::toDateTime() const {
  const double ms = std::round(unixSeconds() * 1000.0);
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), Qt::UTC);
}
