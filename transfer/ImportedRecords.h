#pragma once

#include "platform/Array.h"

class FilteringArrayController;
class ZVColoredCategoryArrayController;

// Brings records made by an import into a vault's lists: each record's category title
// becomes a link to the first category of that title, made when there is none, and the
// records join the record list in one step; both lists are arranged again.
class ImportedRecords {
 public:
  // Takes the records out of imported; answers how many joined the list.
  static qsizetype addToLists(const ArrayRef& imported, FilteringArrayController& records,
                              ZVColoredCategoryArrayController& categories);
};
