#include "vault/VaultFileReader.h"

#include "platform/KeyedUnarchiver.h"

namespace {
using Group = VaultFormat::Group;

// A window coordinate as the older releases read it: the 32-bit integer part.
double frameComponent(const Dictionary& d, const char* key) {
  const double v = d.value(QString::fromLatin1(key)).toDouble(0.0);
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0.0;  // NaN and out of range alike
  return static_cast<double>(static_cast<qint32>(v));
}

Rect frameOf(const Dictionary& d) {
  return Rect{frameComponent(d, "windowRecX"), frameComponent(d, "windowRecY"),
              frameComponent(d, "windowRecWidth"), frameComponent(d, "windowRecHeight")};
}

QByteArray dataOf(const Dictionary& d, const char* key) {
  const Value& v = d.value(QString::fromLatin1(key));
  return v.isData() ? v.toData() : QByteArray();
}

ArrayRef arrayOf(const Dictionary& d, const char* key) {
  return d.value(QString::fromLatin1(key)).toArray();
}

Rect rectOf(const Dictionary& d, const char* key) {
  const Value& v = d.value(QString::fromLatin1(key));
  return v.isRect() ? v.toRect() : Rect{};
}

bool boolOf(const Dictionary& d, const char* key, bool absent) {
  const Value& v = d.value(QString::fromLatin1(key));
  return v.isNumber() ? v.toBool(absent) : absent;
}

RestoreHints hintsOf(const Dictionary& d) {
  RestoreHints h;
  h.useMyWinRect = true;
  h.myWinRectToUse = frameOf(d);
  h.startColumnSizes = arrayOf(d, "columnSizes");
  h.startColumnVisibilities = arrayOf(d, "columnVisibilities");
  h.splitLeftFrame = rectOf(d, "splitLeftFrame");
  h.splitRightFrame = rectOf(d, "splitRightFrame");
  h.customTableSettings = arrayOf(d, "customTableSettings");
  if (const QString* column = d.value(u"latestOrderedColumn").stringPointer())
    h.latestOrderedColumn = *column;
  h.latestOrderedColumnAscending = boolOf(d, "latestOrderedColumnAscending", false);
  h.makeToolbarVisibleAtDecrypt = boolOf(d, "makeToolbarVisibleAtDecrypt", true);
  return h;
}

void readCurrent(const Dictionary& d, VaultFile& f) {
  f.salt = dataOf(d, "salt");
  f.iv = dataOf(d, "IV");
  f.dataArrayData = dataOf(d, "dataArrayData");
  f.catArrayData = dataOf(d, "catArrayData");
  f.emailArrayData = dataOf(d, "emailArrayData");
  f.documentCreationDateData = dataOf(d, "documentCreationDateData");
  f.rc = dataOf(d, "rc");
  f.sha1Rc = dataOf(d, "sha1-rc");
  if (const Dictionary* desktop = d.value(u"OSXPlatformDictionary").dictionaryPointer())
    f.hints = hintsOf(*desktop);
  f.iOSPlatformDictionary = d.value(u"iOSPlatformDictionary").toDictionary();
}

// The older groups form one chain: each group enters at its first step and runs the rest.
void readLegacy(const Dictionary& d, VaultFile& f) {
  auto get = [&](const char* key) { return d.value(QString::fromLatin1(key)); };
  switch (f.group) {
    case Group::SevenWidths:
      f.widths.passwordTableWidth = get("passwordTableWidth");
      f.widths.emailTableWidth = get("emailTableWidth");
      [[fallthrough]];
    case Group::FiveWidths:
      f.widths.categoryTableWidth = get("categoryTableWidth");
      f.widths.nameTableWidth = get("nameTableWidth");
      f.widths.urlTableWidth = get("urlTableWidth");
      f.widths.accountTableWidth = get("accountTableWidth");
      f.widths.userIDTableWidth = get("userIDTableWidth");
      [[fallthrough]];
    case Group::Frame:
      f.legacyWindowFrame = frameOf(d);
      [[fallthrough]];
    case Group::Categories:
      f.catArray = arrayOf(d, "catArray");
      [[fallthrough]];
    default:
      f.dataArray = arrayOf(d, "dataArray");
  }
}
}  // namespace

Result<VaultFile> VaultFileReader::read(const QByteArray& bytes) {
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(bytes);
  if (!root) return Failure{QStringLiteral("It is not a readable archive: %1").arg(root.error())};
  const Dictionary* d = root.value().dictionaryPointer();
  if (!d) return Failure{QStringLiteral("Its archive does not hold a document dictionary.")};
  VaultFile f;
  f.version = d->value(u"appversion").toUnsigned(0);
  f.group = VaultFormat::groupOf(f.version);
  if (f.group == Group::Refused) return f;
  if (f.group == Group::Current)
    readCurrent(*d, f);
  else
    readLegacy(*d, f);
  return f;
}
