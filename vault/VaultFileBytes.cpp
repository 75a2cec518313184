#include "vault/VaultFileBytes.h"

#include "platform/archive/ArchiveLayout.h"

Result<QByteArray, FileReadError> VaultFileBytes::read(const QString& path) {
  return FileBytes::read(
      path, FileReadLimits{kMaximumSize, QByteArray(kSignature), QStringLiteral("vault")},
      &ArchiveLayout::check);
}
