#pragma once

#include <QString>
#include <cstdint>

#include "platform/Result.h"

// Why a vault could not be read, unlocked or written. The reason decides what the user is
// told; the message says it in words.
struct VaultError {
  enum class Reason {
    UnreadableFile,     // the bytes are not a vault container
    MismatchedVersion,  // the file's version is no whole number, or contradicts its pieces
    NewerRelease,       // written by a release newer than this one
    WrongPassword,      // the check string does not verify, or a legacy field will not decrypt
    DamagedDocument,    // the password verified, but a piece of the document cannot be read
    DamagedEntries,     // stored so that no password opens it: an older document's entry
                        // or field that is no ciphertext, a current one's salt, IV, check
                        // string or digest missing or unusable
    CipherStatus,       // the cipher failed with status while making the file's pieces
    ArchiveFailed,      // contents that cannot be put into an archive
    OlderFormat,        // a locked vault of an older format: it is written once unlocked
  };

  Reason reason = Reason::UnreadableFile;
  QString message;
  std::int32_t status = 0;  // the cipher's own status, for CipherStatus and WrongPassword

  // A file that cannot be opened at all: the sentence the user reads first, then why.
  static VaultError unreadable(const QString& why) {
    return {Reason::UnreadableFile,
            QStringLiteral("The file is damaged or is not a vault.\n\n") + why, 0};
  }
  static VaultError wrongPassword(std::int32_t status) {
    return {Reason::WrongPassword, QStringLiteral("The password does not open this document."),
            status};
  }
};

template <typename T>
using VaultResult = Result<T, VaultError>;
