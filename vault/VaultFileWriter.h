#pragma once

#include <QByteArrayList>

#include "vault/VaultError.h"
#include "vault/VaultFile.h"

// Writes a document file of the current group: the version its pieces were made for (the
// current one for every new encryption), the held pieces, the desktop view state and the
// mobile edition's dictionary as given. Absent values leave their keys out.
class VaultFileWriter {
 public:
  // The file's bytes in order; each large ciphertext is a piece of its own, the held one
  // itself rather than a copy, so saving need not assemble a second copy of the vault.
  static VaultResult<QByteArrayList> write(const VaultFile& file);
};
