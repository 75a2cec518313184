#pragma once

#include "vault/VaultContents.h"
#include "vault/VaultError.h"
#include "vault/VaultFile.h"

class ZVCommonCrypto;

// Unlocks a current-format document: checks the password against the check string, then
// decrypts and unarchives the four pieces, gives every row of the three lists a dictionary of
// its own, and relinks records to categories by identifier.
// The held records piece is let go while it is read and put back if it does not read; the
// rest of the pieces is the caller's to release once all worked.
class CurrentFormatDecryptor {
 public:
  // A wrong password; a damaged document when the check string verified but a piece would
  // not decrypt or read, or when the salt, IV, check string or digest could check no password.
  static VaultResult<VaultContents> decrypt(ZVCommonCrypto& engine, HeldPieces& pieces,
                                            bool clearPinAndSecurity);

  // Gives every record the category named by its categoryID and fills each category's
  // member list and count.
  static void restoreFromSaveOperationContent(const ArrayRef& records, const ArrayRef& categories);
  static DictRef catInArray(const ArrayRef& categories, qint64 uniqueID);
};
