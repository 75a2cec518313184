#pragma once

#include <QByteArrayView>
#include <QString>

#include "platform/Result.h"
#include "transfer/ImportError.h"
#include "transfer/TextEncoding.h"

// Turns the bytes of an import file into text: in the encoding the user names, trusted and
// tried once, or in the one the bytes show (a byte-order mark, the zero bytes of UTF-16 and
// UTF-32, valid UTF-8, else the 8-bit encoding that reads as text). It keeps no state.
class ZVSmartStringFileReader {
 public:
  // Import files hold text typed by people; larger files are refused before they are read.
  static constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

  struct Text {
    QString string;
    TextEncoding encoding = TextEncoding::UTF8;
  };

  // The file's whole content as text. The caller wipes the text when done: it holds secrets.
  static Result<Text, ImportError> autoReadFromFile(const QString& path, qint32 code);
  static Result<Text, ImportError> autoReadFromData(QByteArrayView bytes, qint32 code);
  // "\r\n", then each remaining "\r", becomes "\n"; in place.
  static QString& replaceStringWithNewline(QString& string);
};
