#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/Array.h"
#include "platform/Date.h"
#include "vault/VaultFormat.h"

class FilteringArrayController;
class ZVColoredCategoryArrayController;
class ZVCrypto;

// Rebuilds the categories and records of an older-format document, whose every field is a
// separate Blowfish ciphertext, through the document's list controllers. The caller gives the
// controllers empty lists first.
class LegacyRebuilder {
 public:
  LegacyRebuilder(const ZVCrypto& engine, FilteringArrayController& records,
                  ZVColoredCategoryArrayController& categories);

  // rebuild's answer for an entry that is not a dictionary, or a field that is not a
  // ciphertext: the file is damaged whatever the password, and reading the field as empty
  // would lose it at the next save.
  static constexpr std::int32_t kNotStoredAsCipherText = 3;

  // 0, or the engine's code for the first field it could not decrypt (what was rebuilt before
  // stays in the lists), or kNotStoredAsCipherText. path must be one of the legacy paths.
  std::int32_t rebuild(VaultFormat::Path path, const ArrayRef& encryptedRecords,
                       const ArrayRef& encryptedCategories);

  // "2009-03-15 10:22:33 +0100"; anything else gives none.
  static std::optional<Date> dateFromText(const QString& text);

 private:
  std::int32_t rebuildCategories(VaultFormat::Path path, const ArrayRef& encrypted);
  std::int32_t rebuildRecords(VaultFormat::Path path, const ArrayRef& encrypted);
  DictRef categoryForUnknownTitle();

  const ZVCrypto& engine_;
  FilteringArrayController& records_;
  ZVColoredCategoryArrayController& categories_;
};
