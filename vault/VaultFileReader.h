#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/Rect.h"
#include "platform/Result.h"
#include "vault/VaultFormat.h"

// The view state a current file carries for the desktop window, read back for the unlock.
struct RestoreHints {
  bool useMyWinRect = false;
  Rect myWinRectToUse;
  ArrayRef startColumnSizes, startColumnVisibilities, customTableSettings;
  Rect splitLeftFrame, splitRightFrame;
  bool makeToolbarVisibleAtDecrypt = false;
  QString latestOrderedColumn;
  bool latestOrderedColumnAscending = false;
};

// Column widths of the older formats: held, used nowhere.
struct LegacyColumnWidths {
  Value passwordTableWidth, emailTableWidth, categoryTableWidth, nameTableWidth, urlTableWidth,
      accountTableWidth, userIDTableWidth;
};

// What opening holds from a document file, by its version's group. Nothing is decrypted.
struct VaultFile {
  quint64 version = 0;
  VaultFormat::Group group = VaultFormat::Group::RecordsOnly;
  // Current group.
  QByteArray salt, iv, rc, sha1Rc;
  QByteArray dataArrayData, catArrayData, emailArrayData, documentCreationDateData;
  DictRef iOSPlatformDictionary;
  RestoreHints hints;
  // Older groups.
  LegacyColumnWidths widths;
  Rect legacyWindowFrame;
  ArrayRef catArray, dataArray;
};

// Reads the container of a document file. Bytes that are not a keyed archive of a dictionary
// fail with a reason; missing or mistyped keys leave their fields empty.
class VaultFileReader {
 public:
  static Result<VaultFile> read(const QByteArray& bytes);
};
