#pragma once

#include <QDateTime>

// A moment in time as the document format stores it: seconds since 2001-01-01 00:00:00 UTC.
struct Date {
  // 2001-01-01T00:00:00Z in Unix seconds.
  static constexpr double kReferenceUnixSeconds = 978307200.0;

  double sinceReferenceDate = 0.0;

  static Date now();
  static Date fromDateTime(const QDateTime& dateTime);
  static Date fromUnixSeconds(double unixSeconds) { return {unixSeconds - kReferenceUnixSeconds}; }
  QDateTime toDateTime() const;
  // The same moment in the user's time zone, for showing it.
  QDateTime toLocalDateTime() const { return toDateTime().toLocalTime(); }
  double unixSeconds() const { return sinceReferenceDate + kReferenceUnixSeconds; }

  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;
};
