#include "vault/VaultFormat.h"

namespace {
using Group = VaultFormat::Group;
using Path = VaultFormat::Path;

// Every version a release wrote, as runs of versions that open and unlock alike.
struct Version {
  quint64 first, last;
  Group group;
  Path path;
};

constexpr Version kVersions[] = {
    {1000, 1000, Group::RecordsOnly, Path::Legacy1000},
    {2000, 2000, Group::Categories, Path::Legacy2000},
    {2010, 2010, Group::Categories, Path::Legacy2000},
    {2020, 2020, Group::Categories, Path::Legacy2000},
    {2100, 2100, Group::Frame, Path::Legacy2100},
    {2200, 2200, Group::Frame, Path::Legacy2200},
    {2210, 2210, Group::Frame, Path::Legacy2200},
    {2300, 2300, Group::Frame, Path::Legacy2200},
    {2400, 2400, Group::FiveWidths, Path::Legacy2400},
    {2500, 2500, Group::SevenWidths, Path::Legacy2400},
    {2510, 2510, Group::SevenWidths, Path::Legacy2400},
    {2520, 2520, Group::SevenWidths, Path::Legacy2400},
    {2600, 2600, Group::SevenWidths, Path::Legacy2400},
    {2700, 2700, Group::SevenWidths, Path::Legacy2400},
    {2710, 2710, Group::SevenWidths, Path::Legacy2400},
    {2800, 2800, Group::SevenWidths, Path::Legacy2400},
    {20801, 20801, Group::SevenWidths, Path::Legacy2400},
    {20900, 20900, Group::SevenWidths, Path::Legacy20900},
    {20901, 20901, Group::SevenWidths, Path::Legacy20900},
    {21000, 21000, Group::SevenWidths, Path::Legacy20900},
    {21100, 21110, Group::SevenWidths, Path::Legacy21100},
    {21200, 21207, Group::SevenWidths, Path::Legacy21100},
    {30000, 30000, Group::Current, Path::CurrentClearingPinAndSecurity},
    {40000, 40000, Group::Current, Path::Current},
    {40100, 40100, Group::Current, Path::Current},
};

const Version* find(quint64 v) {
  for (const Version& known : kVersions)
    if (v >= known.first && v <= known.last) return &known;
  return nullptr;
}
}  // namespace

VaultFormat::Group VaultFormat::groupOf(quint64 v) {
  if (v > kCurrentVersion) return Group::Refused;
  const Version* known = find(v);
  return known ? known->group : Group::RecordsOnly;
}

VaultFormat::Path VaultFormat::pathOf(quint64 v) {
  // Unlisted versions take the current path, which cannot succeed for them: their files hold
  // no check string.
  const Version* known = find(v);
  return known ? known->path : Path::Current;
}
