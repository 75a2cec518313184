#pragma once

#include <QString>

#include "platform/Result.h"

// Why a document could not be made, read, saved or reverted. The message is what the user is
// shown; it is empty only where the document has told the user already (a newer release).
struct DocumentError {
  enum class Reason {
    NotRead,           // the file could not be read or holds no document
    NewerRelease,      // a newer release made the file; its own alert has been shown
    NothingToSave,     // the document cannot give its bytes now
    WriteFailed,       // the bytes could not be written
    Refused,           // writing over the file would lose what it holds
    ChangedElsewhere,  // another program changed the file since the document read or wrote it
    InUse,             // another process holds the file
    OutOfMemory,       // reading the file ran short of memory
    Unsupported,       // the document cannot do that at all
  };
  Reason reason = Reason::NotRead;
  QString message;
};

template <typename T>
using DocumentResult = Result<T, DocumentError>;
