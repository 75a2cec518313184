#pragma once

#include <QByteArray>

#include "vault/VaultError.h"
#include "vault/VaultFile.h"

// Writes a document file of the current group: the version its pieces were made for (the
// current one for every new encryption), the held pieces, the desktop view state and the
// mobile edition's dictionary as given. Absent values leave their keys out.
class VaultFileWriter {
 public:
  static VaultResult<QByteArray> write(const VaultFile& file);
};
