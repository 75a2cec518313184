#include "vault/VaultFileReader.h"

#include "platform/KeyedUnarchiver.h"
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
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(bytes);
  if (!root)
    return VaultError::unreadable(
        QStringLiteral("It is not a readable archive: %1").arg(root.error()));
  const Dictionary* d = root.value().dictionaryPointer();
  if (!d)
    return VaultError::unreadable(
        QStringLiteral("Its archive does not hold a document dictionary."));
  VaultFile f;
  f.version = d->value(Keys::appversion).toUnsigned(0);
  f.group = VaultFormat::groupOf(f.version);
  if (f.group == Group::Refused)
    return VaultError{VaultError::Reason::NewerRelease,
                      QStringLiteral("It was made by a newer release."), 0};
  if (f.group == Group::Current)
    readCurrent(*d, f);
  else
    readLegacy(*d, f);
  return f;
}
