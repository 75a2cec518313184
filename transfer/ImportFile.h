#pragma once

#include <QString>

#include "platform/Result.h"
#include "transfer/ImportError.h"
#include "transfer/ImportTable.h"
#include "transfer/TextEncoding.h"

// An import file read and split into rows, with the choices it was read with and what was
// found for the automatic ones. Reading takes no state, so it may run on any thread.
struct ImportFile {
  QString path;
  qint32 format = 0;    // ImportFileFormat as chosen (0: detected)
  qint32 encoding = 0;  // TextEncodingCode as chosen (0: detected)
  qint32 usedFormat = 0;
  TextEncoding usedEncoding = TextEncoding::UTF8;
  ImportTable rows;

  static Result<ImportFile, ImportError> read(const QString& path, qint32 format, qint32 encoding);
};
