#pragma once

#include <QByteArray>

#include "vault/VaultError.h"
#include "vault/VaultFile.h"

// Reads the container of a document file. Bytes that are not a keyed archive of a dictionary
// are an unreadable file, a version above the current one a newer release. A version that is
// no whole number, or that the pieces held contradict (the current format's pieces under an
// older version, an older version without its list of records, the current version with
// none of its pieces), is refused: unlocked as that version, such a file would come out
// empty or never open, and its first save would replace what it holds. Otherwise missing or
// mistyped keys leave their fields empty.
class VaultFileReader {
 public:
  static VaultResult<VaultFile> read(const QByteArray& bytes);
};
