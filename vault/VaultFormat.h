#pragma once

#include <QtGlobal>

// The document file's format versions: which keys a version's file carries and which way it
// is unlocked.
class VaultFormat {
 public:
  static constexpr quint64 kCurrentVersion = 40100;

  // What opening holds from a file, by version.
  enum class Group {
    Current,      // 30000, 40000, 40100: AES pieces and the desktop view state
    SevenWidths,  // 2500 ... 21207: seven column widths, window frame, categories, records
    FiveWidths,   // 2400
    Frame,        // 2100, 2200, 2210, 2300
    Categories,   // 2000, 2010, 2020
    RecordsOnly,  // 1000 and every other version up to the current one
    Refused,      // made by a newer release
  };

  // How a version is unlocked. Legacy paths decrypt every field with the Blowfish engine.
  enum class Path {
    Legacy1000,
    Legacy2000,
    Legacy2100,
    Legacy2200,
    Legacy2400,
    Legacy20900,
    Legacy21100,
    CurrentClearingPinAndSecurity,  // 30000: every record comes back without pin and security
    Current,
  };

  static Group groupOf(quint64 version);
  static Path pathOf(quint64 version);
  static bool isLegacy(Path path) { return path < Path::CurrentClearingPinAndSecurity; }
};
