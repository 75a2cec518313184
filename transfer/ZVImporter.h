#pragma once

// The owner of an import: where its records may go, and who finishes them when it ends.
class ZVImporter {
 public:
  virtual ~ZVImporter() = default;
  // Whether records may be added now (a locked document takes none: they would be lost at
  // its next unlock).
  virtual bool acceptsImportedRecords() const = 0;
  virtual void justFinishedImporting() = 0;
};
