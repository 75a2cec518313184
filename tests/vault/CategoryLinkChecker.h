#pragma once

#include <gtest/gtest.h>

#include <unordered_set>

#include "vault/CategoryMembers.h"
#include "vault/FilteringArrayController.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"

// Every category lists exactly the records of the list that point to it, once, and its count
// is that list's length.
inline ::testing::AssertionResult categoryLinksHold(
    const FilteringArrayController& records, const ZVColoredCategoryArrayController& categories) {
  for (const auto& cv : categories.content()->values()) {
    const DictRef category = cv.toDictionary();
    const QString title = category->value(CategoryKeys::category()).toString();
    std::unordered_set<const Dictionary*> pointing;
    for (const auto& rv : records.content()->values()) {
      const Dictionary* record = rv.dictionaryPointer();
      if (record->value(RecordKeys::categoryPtr()).dictionaryPointer() == category.get())
        pointing.insert(record);
    }
    const IdentitySet* members = CategoryMembers::of(*category);
    const qsizetype listed = members ? members->count() : 0;
    if (listed != static_cast<qsizetype>(pointing.size()))
      return ::testing::AssertionFailure() << title.toStdString() << " lists " << listed
                                           << " records, " << pointing.size() << " point to it";
    for (const Dictionary* record : pointing)
      if (!members->contains(record))
        return ::testing::AssertionFailure() << title.toStdString() << " misses a record";
    const qint64 count = category->value(CategoryKeys::howManyUsingThis()).toInteger(-1);
    if (count != listed)
      return ::testing::AssertionFailure()
             << title.toStdString() << " counts " << count << " but lists " << listed;
  }
  return ::testing::AssertionSuccess();
}
