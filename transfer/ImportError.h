#pragma once

#include <QString>

// Why an import file could not be taken, with words for the user.
struct ImportError {
  enum class Reason { Unreadable, TooLarge, NotInEncoding, TooManyColumns, TooManyRows };
  Reason reason = Reason::Unreadable;
  QString message;
};
