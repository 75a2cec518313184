#pragma once

#include <QByteArray>
#include <QString>

#include "platform/FileBytes.h"

// Reads a document file's bytes, refusing without reading them a file that cannot be a vault:
// one larger than any vault can be, one that does not begin as every vault does, or one whose
// archive's trailer and offset table do not fit its size.
class VaultFileBytes {
 public:
  // The largest piece of a vault is its records: one AES ciphertext, which the cipher takes in
  // one pass of at most INT_MAX - 16 bytes (its lengths are ints), so no vault whose records
  // can be read has a records piece of 2 GiB or more. The categories and the e-mail list are two
  // more such pieces, far smaller in any vault; the keys, the check string and the view state
  // take a few kilobytes. 4 GiB leaves the records their whole 2 GiB and as much again for the
  // rest. A vault of a million records of everyday length is about 500 MB.
  static constexpr qint64 kMaximumSize = qint64(4) << 30;
  // Every format version's file is a keyed archive, a binary property list; the reader takes
  // no other container.
  static constexpr char kSignature[] = "bplist00";

  static Result<QByteArray, FileReadError> read(const QString& path);
};
