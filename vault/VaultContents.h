#pragma once

#include <optional>

#include "platform/Array.h"
#include "platform/Date.h"

// What an unlocked vault shows: its records (linked to their categories), categories, e-mail
// list and creation date.
struct VaultContents {
  ArrayRef records, categories, emails;
  std::optional<Date> creationDate;
};
