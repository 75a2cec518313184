#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/Rect.h"
#include "vault/VaultFormat.h"

// The desktop window's state as a current file carries it: read back for the unlock, made
// anew from the window at every save.
struct DesktopViewState {
  Rect windowFrame;
  ArrayRef columnSizes, columnVisibilities;
  Rect splitLeftFrame, splitRightFrame;
  bool toolbarVisible = true;
  // Set by the window's column presets and sorting, not by its layout.
  ArrayRef customTableSettings;
  QString latestOrderedColumn;
  bool latestOrderedColumnAscending = false;
};

// The encrypted pieces of a current file. They belong together: the check string and the
// four ciphertexts are made under one password, salt and IV.
struct HeldPieces {
  QByteArray salt, iv, rc, sha1Rc;
  QByteArray records, categories, emails, creationDate;
};

// Column widths of the older formats: held, used nowhere.
struct LegacyColumnWidths {
  Value passwordTableWidth, emailTableWidth, categoryTableWidth, nameTableWidth, urlTableWidth,
      accountTableWidth, userIDTableWidth;
};

// What an older file holds: every field of its records and categories a separate ciphertext.
struct LegacyPieces {
  LegacyColumnWidths widths;
  std::optional<Rect> windowFrame;
  ArrayRef categories, records;
};

// A document file's contents, by its version's group. Nothing in it is decrypted.
struct VaultFile {
  quint64 version = 0;
  VaultFormat::Group group = VaultFormat::Group::RecordsOnly;
  // Current group.
  HeldPieces pieces;
  std::optional<DesktopViewState> desktop;  // present when the file has the dictionary
  DictRef mobilePlatformDictionary;         // the mobile edition's, kept exactly as read
  // Older groups.
  LegacyPieces legacy;
};
