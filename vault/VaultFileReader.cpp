#include "vault/VaultFileReader.h"

#include <cmath>
#include <limits>

#include "platform/archive/KeyedUnarchiver.h"
#include "vault/VaultFileKeys.h"

namespace {
using Group = VaultFormat::Group;
namespace Keys = VaultFileKeys;

// A window coordinate as the older releases read it: the 32-bit integer part.
double frameComponent(const Dictionary& d, QStringView key) {
  const double v = d.value(key).toDouble(0.0);
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0.0;  // NaN and out of range alike
  return static_cast<double>(static_cast<qint32>(v));
}

Rect frameOf(const Dictionary& d) {
  return Rect{frameComponent(d, Keys::windowRecX), frameComponent(d, Keys::windowRecY),
              frameComponent(d, Keys::windowRecWidth), frameComponent(d, Keys::windowRecHeight)};
}

QByteArray dataOf(const Dictionary& d, QStringView key) {
  const Value& v = d.value(key);
  return v.isData() ? v.toData() : QByteArray();
}

Rect rectOf(const Dictionary& d, QStringView key) {
  const Value& v = d.value(key);
  return v.isRect() ? v.toRect() : Rect{};
}

bool boolOf(const Dictionary& d, QStringView key, bool absent) {
  const Value& v = d.value(key);
  return v.isNumber() ? v.toBool(absent) : absent;
}

DesktopViewState desktopOf(const Dictionary& d) {
  DesktopViewState s;
  s.windowFrame = frameOf(d);
  s.columnSizes = d.value(Keys::columnSizes).toArray();
  s.columnVisibilities = d.value(Keys::columnVisibilities).toArray();
  s.splitLeftFrame = rectOf(d, Keys::splitLeftFrame);
  s.splitRightFrame = rectOf(d, Keys::splitRightFrame);
  s.customTableSettings = d.value(Keys::customTableSettings).toArray();
  if (const QString* column = d.value(Keys::latestOrderedColumn).stringPointer())
    s.latestOrderedColumn = *column;
  s.latestOrderedColumnAscending = boolOf(d, Keys::latestOrderedColumnAscending, false);
  s.toolbarVisible = boolOf(d, Keys::makeToolbarVisibleAtDecrypt, true);
  return s;
}

void readCurrent(const Dictionary& d, VaultFile& f) {
  HeldPieces& p = f.pieces;
  p.salt = dataOf(d, Keys::salt);
  p.iv = dataOf(d, Keys::iv);
  p.records = dataOf(d, Keys::dataArrayData);
  p.categories = dataOf(d, Keys::catArrayData);
  p.emails = dataOf(d, Keys::emailArrayData);
  p.creationDate = dataOf(d, Keys::documentCreationDateData);
  p.rc = dataOf(d, Keys::rc);
  p.sha1Rc = dataOf(d, Keys::sha1Rc);
  if (const Dictionary* desktop = d.value(Keys::desktopPlatformDictionary).dictionaryPointer())
    f.desktop = desktopOf(*desktop);
  f.mobilePlatformDictionary = d.value(Keys::mobilePlatformDictionary).toDictionary();
}

// The version as a file carries it: a whole number, not negative; a file without one is 0.
// An archiver may write a whole real where an integer was archived. None: no version at all.
std::optional<quint64> versionOf(const Value& v) {
  switch (v.type()) {
    case Value::Type::Absent:
      return 0;
    case Value::Type::Unsigned:
      return v.toUnsigned();
    case Value::Type::Integer:
      if (v.toInteger() < 0) return std::nullopt;
      return v.toUnsigned();
    case Value::Type::Double: {
      const double d = v.toDouble();
      if (!std::isfinite(d) || d < 0 || d != std::floor(d)) return std::nullopt;
      if (d >= 18446744073709551616.0) return std::numeric_limits<quint64>::max();
      return static_cast<quint64>(d);
    }
    default:  // a boolean, a string and every other kind of object
      return std::nullopt;
  }
}

// What stands where the version should, in a few words: never the whole of a large value.
QString kindOf(const Value& v) {
  switch (v.type()) {
    case Value::Type::Integer:
    case Value::Type::Double:
      return QString::number(v.toDouble(), 'g', 17);
    case Value::Type::Boolean:
      return QStringLiteral("a yes-or-no value");
    case Value::Type::String:
      return QStringLiteral("a text");
    case Value::Type::Data:
      return QStringLiteral("a run of bytes");
    case Value::Type::Date:
      return QStringLiteral("a date");
    case Value::Type::Array:
      return QStringLiteral("a list");
    case Value::Type::Dictionary:
      return QStringLiteral("a dictionary");
    case Value::Type::Rect:
      return QStringLiteral("a rectangle");
    default:
      return QStringLiteral("no value");
  }
}

VaultError mismatched(const QString& why) {
  return {VaultError::Reason::MismatchedVersion, VaultError::unreadable(why).message, 0};
}

// Why the pieces a file holds contradict its version; none when they fit. A version the
// releases never unlocked is taken as it comes: it opens locked and never unlocks.
std::optional<VaultError> mismatchOf(const Dictionary& d, quint64 version, Group group) {
  static constexpr QStringView kCurrentPieces[] = {Keys::salt,
                                                   Keys::iv,
                                                   Keys::rc,
                                                   Keys::sha1Rc,
                                                   Keys::dataArrayData,
                                                   Keys::catArrayData,
                                                   Keys::emailArrayData,
                                                   Keys::documentCreationDateData};
  bool holdsCurrentPieces = false;
  for (QStringView key : kCurrentPieces) holdsCurrentPieces |= d.contains(key);
  if (group == Group::Current) {
    if (holdsCurrentPieces) return std::nullopt;
    return mismatched(
        QStringLiteral("Its version, %1, is of the current format, but it holds none of that "
                       "format's encrypted pieces.")
            .arg(version));
  }
  if (!VaultFormat::isLegacy(VaultFormat::pathOf(version))) return std::nullopt;
  // Unlocking an older version reads its lists alone: without them it would come out empty,
  // and its first save would replace whatever the file really holds.
  if (holdsCurrentPieces)
    return mismatched(
        QStringLiteral("Its version, %1, is of an older format, but it holds the encrypted "
                       "pieces of the current format.")
            .arg(version));
  if (!d.value(Keys::dataArray).isArray())
    return mismatched(
        QStringLiteral("Its version, %1, is of an older format, but it holds no list of "
                       "records.")
            .arg(version));
  if (group != Group::RecordsOnly && !d.value(Keys::catArray).isAbsent() &&
      !d.value(Keys::catArray).isArray())
    return mismatched(
        QStringLiteral("Its version, %1, is of an older format, but its list of categories is "
                       "not a list.")
            .arg(version));
  return std::nullopt;
}

// The older groups form one chain: each group enters at its first step and runs the rest.
void readLegacy(const Dictionary& d, VaultFile& f) {
  LegacyPieces& l = f.legacy;
  switch (f.group) {
    case Group::SevenWidths:
      l.widths.passwordTableWidth = d.value(Keys::passwordTableWidth);
      l.widths.emailTableWidth = d.value(Keys::emailTableWidth);
      [[fallthrough]];
    case Group::FiveWidths:
      l.widths.categoryTableWidth = d.value(Keys::categoryTableWidth);
      l.widths.nameTableWidth = d.value(Keys::nameTableWidth);
      l.widths.urlTableWidth = d.value(Keys::urlTableWidth);
      l.widths.accountTableWidth = d.value(Keys::accountTableWidth);
      l.widths.userIDTableWidth = d.value(Keys::userIDTableWidth);
      [[fallthrough]];
    case Group::Frame:
      l.windowFrame = frameOf(d);
      [[fallthrough]];
    case Group::Categories:
      l.categories = d.value(Keys::catArray).toArray();
      [[fallthrough]];
    default:
      l.records = d.value(Keys::dataArray).toArray();
  }
}
}  // namespace

VaultResult<VaultFile> VaultFileReader::read(const QByteArray& bytes) {
  // The records piece stays a part of the file's bytes until it is decrypted: the file is
  // in memory once, not twice. The locked window of a 100,000-record vault came to 1.4 times
  // the time of a 3-record vault's from 2.1.
  Result<Value> root = KeyedUnarchiver::unarchiveSharingData(bytes);
  if (!root)
    return VaultError::unreadable(
        QStringLiteral("It is not a readable archive: %1").arg(root.error()));
  const Dictionary* d = root.value().dictionaryPointer();
  if (!d)
    return VaultError::unreadable(
        QStringLiteral("Its archive does not hold a document dictionary."));
  const std::optional<quint64> version = versionOf(d->value(Keys::appversion));
  if (!version)
    return mismatched(QStringLiteral("Its version is not a whole number of zero or more: it is %1.")
                          .arg(kindOf(d->value(Keys::appversion))));
  VaultFile f;
  f.version = *version;
  f.group = VaultFormat::groupOf(f.version);
  // A newer release may hold pieces of its own: it is refused before they are looked at.
  if (f.group == Group::Refused)
    return VaultError{VaultError::Reason::NewerRelease,
                      QStringLiteral("It was made by a newer release."), 0};
  if (std::optional<VaultError> mismatch = mismatchOf(*d, f.version, f.group)) return *mismatch;
  if (f.group == Group::Current)
    readCurrent(*d, f);
  else
    readLegacy(*d, f);
  return f;
}
