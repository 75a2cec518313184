#pragma once

#include <vector>

#include "platform/Dictionary.h"

// What a vault document needs to import and export text files: the dialogs, formats and
// files are the transfer layer's, which implements this. The program gives one to each
// document it makes; a document without one imports and exports nothing.
class DocumentTransfer {
 public:
  virtual ~DocumentTransfer() = default;

  // Asks for a text file on the document's window and imports its records.
  virtual void importFromTextFile() = 0;
  // Exports these records, in this order, to a file the user chooses.
  virtual void exportRecords(std::vector<DictRef> records) = 0;
};
