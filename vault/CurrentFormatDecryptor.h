#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

#include "platform/Array.h"
#include "platform/Date.h"

class ZVCommonCrypto;

// The encrypted pieces of a current-format document. A piece is set to null once it has been
// decrypted and read, so a failed attempt shows which pieces it got through.
struct CurrentPieces {
  QByteArray rc, sha1Rc;
  QByteArray records, categories, emails, creationDate;
};

// What a successful attempt rebuilt. emails is set as soon as its piece was read, even when a
// later piece fails.
struct CurrentContents {
  ArrayRef records, categories, emails;
  std::optional<Date> creationDate;
};

// Unlocks a current-format document: checks the password against the check string, then
// decrypts and unarchives the four pieces and relinks records to categories by identifier.
class CurrentFormatDecryptor {
 public:
  // A decrypted piece that is not an archive of the expected kind.
  static constexpr std::int32_t kUnreadablePiece = 3;
  // The check string's digest is missing or differs: a wrong password.
  static constexpr std::int32_t kCheckMismatch = 1;

  // 0, or the first failure: the cipher's status, kCheckMismatch or kUnreadablePiece. No
  // engine answers kCheckMismatch.
  static std::int32_t decrypt(ZVCommonCrypto* engine, CurrentPieces& pieces,
                              bool clearPinAndSecurity, CurrentContents& out);

  // Gives every record the category named by its categoryID and fills each category's
  // member list and count.
  static void restoreFromSaveOperationContent(const ArrayRef& records, const ArrayRef& categories);
  static DictRef catInArray(const ArrayRef& categories, qint64 uniqueID);
};
