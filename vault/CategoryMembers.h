#pragma once

#include "platform/Dictionary.h"
#include "platform/IdentitySet.h"

// A category's member records, kept with the category in memory only: beside its keys, never
// among them, so the list can never reach a file or a key-path lookup by accident.
class CategoryMembers final : public DictionaryAttachment {
 public:
  // None while the category has no list yet.
  static IdentitySet* of(const Dictionary& category);
  static IdentitySet& ensure(Dictionary& category);
  // A new, empty list.
  static IdentitySet& reset(Dictionary& category);

 private:
  IdentitySet records_;
};
