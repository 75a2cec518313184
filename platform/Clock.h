#pragma once

#include <QtGlobal>
#include <functional>

struct Date;

// The sources of time for the whole program; tests install fixed or stepping ones.
class Clock {
 public:
  using Source = std::function<Date()>;
  using MsSource = std::function<qint64()>;

  static Date now();
  // Installs a replacement source; an empty one restores the system clock.
  static void setSource(Source source);

  // Milliseconds since some fixed point, running on while the machine sleeps: for deadlines
  // that time suspended must count towards.
  static qint64 bootMs();
  // Installs a replacement for bootMs; an empty one restores the boot clock.
  static void setBootSource(MsSource source);
};
