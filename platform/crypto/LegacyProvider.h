#pragma once

#include <QString>

// OpenSSL 3 keeps Blowfish in its "legacy" provider; loading any provider explicitly also means
// loading "default", or every other algorithm disappears.
class LegacyProvider {
 public:
  // Loads both providers once per process; false when the legacy one is missing.
  static bool ensureLoaded();
  // Why Blowfish is unavailable; empty when it is available.
  static QString errorMessage();
};
