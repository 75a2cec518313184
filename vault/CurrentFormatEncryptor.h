#pragma once

#include "vault/VaultContents.h"
#include "vault/VaultError.h"
#include "vault/VaultFile.h"

class ZVCommonCrypto;

// Makes the encrypted pieces of a current file from a vault's contents: a new check string
// and its digest, and the four archives, all under the engine's password, salt and IV.
class CurrentFormatEncryptor {
 public:
  // All pieces or none: a failure of any leaves nothing half made.
  static VaultResult<HeldPieces> encrypt(ZVCommonCrypto& engine, const VaultContents& contents);

  // The stored forms: a record names its category by categoryID instead of categoryPtr; a
  // category leaves its member list behind.
  static ArrayRef storedRecords(const ArrayRef& records);
  static ArrayRef storedCategories(const ArrayRef& categories);
};
