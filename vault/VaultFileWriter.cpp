#include "vault/VaultFileWriter.h"

#include "platform/archive/KeyedArchiver.h"
#include "vault/VaultFileKeys.h"

namespace {
namespace Keys = VaultFileKeys;

void put(Dictionary& d, QStringView key, Value value) {
  d.setValue(key.toString(), std::move(value));
}

void putData(Dictionary& d, QStringView key, const QByteArray& bytes) {
  if (!bytes.isNull()) put(d, key, Value::data(bytes));
}

DictRef desktopDictionary(const DesktopViewState& s) {
  auto d = Dictionary::create();
  put(*d, Keys::windowRecHeight, Value::real(s.windowFrame.height));
  put(*d, Keys::windowRecWidth, Value::real(s.windowFrame.width));
  put(*d, Keys::windowRecX, Value::real(s.windowFrame.x));
  put(*d, Keys::windowRecY, Value::real(s.windowFrame.y));
  put(*d, Keys::columnSizes, s.columnSizes ? s.columnSizes : Array::create());
  put(*d, Keys::columnVisibilities, s.columnVisibilities ? s.columnVisibilities : Array::create());
  put(*d, Keys::splitLeftFrame, Value(s.splitLeftFrame));
  put(*d, Keys::splitRightFrame, Value(s.splitRightFrame));
  put(*d, Keys::makeToolbarVisibleAtDecrypt, Value::boolean(s.toolbarVisible));
  if (s.customTableSettings) put(*d, Keys::customTableSettings, s.customTableSettings);
  if (!s.latestOrderedColumn.isEmpty()) put(*d, Keys::latestOrderedColumn, s.latestOrderedColumn);
  // Written only for an ascending sort: its absence reads as descending.
  if (s.latestOrderedColumnAscending)
    put(*d, Keys::latestOrderedColumnAscending, Value::boolean(true));
  return d;
}
}  // namespace

VaultResult<QByteArrayList> VaultFileWriter::write(const VaultFile& file) {
  auto d = Dictionary::create();
  const HeldPieces& p = file.pieces;
  put(*d, Keys::appversion, Value::unsignedInteger(file.version));
  put(*d, Keys::latestPlatform, QStringLiteral("OSX"));
  putData(*d, Keys::dataArrayData, p.records);
  putData(*d, Keys::catArrayData, p.categories);
  putData(*d, Keys::emailArrayData, p.emails);
  putData(*d, Keys::documentCreationDateData, p.creationDate);
  putData(*d, Keys::salt, p.salt);
  putData(*d, Keys::iv, p.iv);
  putData(*d, Keys::rc, p.rc);
  putData(*d, Keys::sha1Rc, p.sha1Rc);
  if (file.desktop) put(*d, Keys::desktopPlatformDictionary, desktopDictionary(*file.desktop));
  if (file.mobilePlatformDictionary)
    put(*d, Keys::mobilePlatformDictionary, file.mobilePlatformDictionary);
  // Copying a piece this small costs less than a write of its own.
  constexpr qsizetype kApartSize = qsizetype{64} * 1024;
  Result<QByteArrayList> bytes = KeyedArchiver::archivedPiecesWithRootObject(Value(d), kApartSize);
  if (!bytes) return VaultError{VaultError::Reason::ArchiveFailed, bytes.error(), 0};
  return bytes.take();
}
