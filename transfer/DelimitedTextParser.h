#pragma once

#include <QStringList>
#include <QStringView>

#include "platform/Result.h"
#include "transfer/ImportError.h"
#include "transfer/ImportTable.h"

// Splits import text (line ends already "\n") into rows of fields. TAB text is split line by
// line; comma and semicolon text follows RFC 4180 quoting, so a quoted field may hold the
// separator, doubled quotes and line breaks.
class DelimitedTextParser {
 public:
  // ImportFileFormat: what the user chose.
  enum Format : qint32 { Automatic = 0, Tab = 1, Comma = 2, Semicolon = 3 };

  // Columns and rows beyond these are refused: no one imports them on purpose, and a wrong
  // separator on a large file would otherwise make an unusable mapping or exhaust memory.
  static constexpr qsizetype kMaxColumns = 256;
  static constexpr qsizetype kMaxRows = 500000;

  // The separator (outside quotes) that gives the most records one number of fields, then
  // the one found most often between fields; ties go to TAB.
  static Format detectSeparator(QStringView text);
  // Rows of the text split with the format's separator (Automatic detects it first). A
  // format outside 0..3 yields no rows.
  static Result<ImportTable, ImportError> parse(QStringView text, qint32 format);

  // One line split on the separator outside quotes, quotes kept except one enclosing pair;
  // nothing for a blank line. Records whose quote never closes are read this way.
  static QStringList componentsOfCsvRow(QStringView line, QChar separator);
};
