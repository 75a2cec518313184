#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Result.h"

// The whole content of a file, read into one buffer of exactly its size.
class FileBytes {
 public:
  static Result<QByteArray> read(const QString& path);
};
