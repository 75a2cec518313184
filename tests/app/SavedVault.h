#pragma once

#include <QString>

#include "vault/MyDocument.h"

// Writes a real, empty vault (password "secret12") at path, as a saved document would be.
inline bool writeSavedVault(const QString& path) {
  MyDocument document;
  document.setPlainPassword(QStringLiteral("secret12"));
  return document.saveToURL(path).ok();
}
