#include "vault/VaultFormat.h"

namespace {
bool in(quint64 v, quint64 low, quint64 high) { return v >= low && v <= high; }

bool isLaterLegacy(quint64 v) { return in(v, 21100, 21110) || in(v, 21200, 21207); }
}  // namespace

VaultFormat::Group VaultFormat::groupOf(quint64 v) {
  if (v > kCurrentVersion) return Group::Refused;
  switch (v) {
    case 30000:
    case 40000:
    case 40100:
      return Group::Current;
    case 2500:
    case 2510:
    case 2520:
    case 2600:
    case 2700:
    case 2710:
    case 2800:
    case 20801:
    case 20900:
    case 20901:
    case 21000:
      return Group::SevenWidths;
    case 2400:
      return Group::FiveWidths;
    case 2100:
    case 2200:
    case 2210:
    case 2300:
      return Group::Frame;
    case 2000:
    case 2010:
    case 2020:
      return Group::Categories;
    default:
      return isLaterLegacy(v) ? Group::SevenWidths : Group::RecordsOnly;
  }
}

VaultFormat::Path VaultFormat::pathOf(quint64 v) {
  switch (v) {
    case 1000:
      return Path::Legacy1000;
    case 2000:
    case 2010:
    case 2020:
      return Path::Legacy2000;
    case 2100:
      return Path::Legacy2100;
    case 2200:
    case 2210:
    case 2300:
      return Path::Legacy2200;
    case 2400:
    case 2500:
    case 2510:
    case 2520:
    case 2600:
    case 2700:
    case 2710:
    case 2800:
    case 20801:
      return Path::Legacy2400;
    case 20900:
    case 20901:
    case 21000:
      return Path::Legacy20900;
    case 30000:
      return Path::CurrentClearingPinAndSecurity;
    default:
      // Unlisted versions take the current path, which cannot succeed for them: their files
      // hold no check string.
      return isLaterLegacy(v) ? Path::Legacy21100 : Path::Current;
  }
}
