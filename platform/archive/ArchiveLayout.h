#pragma once

#include "platform/FileBytes.h"
#include "platform/Result.h"

// Whether a file can be a keyed archive of its size, from the few bytes that say how it is
// laid out: its trailer, its offset table and the marker of its top object, read where they
// lie. A file whose layout cannot hold is refused before the rest of it is read; one that
// passes may still be damaged inside, which reading it says.
class ArchiveLayout {
 public:
  static Result<void> check(const FileSample& file);
};
