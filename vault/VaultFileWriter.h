#pragma once

#include <QByteArray>

#include "vault/VaultError.h"
#include "vault/VaultFile.h"

// Writes a document file in the current format: the held pieces, the desktop view state and
// the mobile edition's dictionary as given. Absent values leave their keys out.
class VaultFileWriter {
 public:
  static VaultResult<QByteArray> write(const VaultFile& file);
};
