#pragma once

#include <functional>

struct Date;

// The source of "now" for the whole program; tests install a fixed or stepping clock.
class Clock {
 public:
  using Source = std::function<Date()>;

  static Date now();
  // Installs a replacement source; an empty one restores the system clock.
  static void setSource(Source source);
};
