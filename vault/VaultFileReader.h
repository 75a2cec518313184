#pragma once

#include <QByteArray>

#include "vault/VaultError.h"
#include "vault/VaultFile.h"

// Reads the container of a document file. Bytes that are not a keyed archive of a dictionary
// are an unreadable file, a version above the current one a newer release; missing or
// mistyped keys leave their fields empty.
class VaultFileReader {
 public:
  static VaultResult<VaultFile> read(const QByteArray& bytes);
};
