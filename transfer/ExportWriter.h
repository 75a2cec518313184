#pragma once

#include <QLocale>
#include <QString>
#include <vector>

#include "platform/Dictionary.h"

// ExportFileFormat: the formats an export writes.
namespace ExportFileFormat {
enum : qint32 { Custom = 0, TSV = 1, QuotedCSV = 2, HTMLTable = 3, HTMLPage = 4, PlainCSV = 5 };
}

// The user's own texts for the custom format, as typed: "\n" and "\t" written as backslash
// and a letter. The other formats' presets fill them for show.
struct ExportCustomStrings {
  QString start_of_file, end_of_file;
  QString start_of_record, end_of_record;
  QString field_open_tag, field_close_tag;
  QString field_separator;
  QString use_end_of_record_in_last_record;  // "YES" or "NO"

  friend bool operator==(const ExportCustomStrings&, const ExportCustomStrings&) = default;
};

// Turns records into the text of an export file: the format's fixed texts (or the custom
// ones), an optional header row of the fields' titles, and each record's values cleaned or
// quoted so that the format reads them back. It keeps no state.
class ExportWriter {
 public:
  struct Settings {
    qint32 format = ExportFileFormat::TSV;
    bool useFieldNamesAsFirstRow = false;
    ExportCustomStrings custom;
  };

  // fields: FieldKeyEntry dictionaries (publicKey, innerKey), in column order. Dates are
  // written in the locale's short date format.
  static QString text(const std::vector<DictRef>& records, const std::vector<DictRef>& fields,
                      const Settings& settings, const QLocale& locale = QLocale());

  // A format's texts as the settings sheet shows them (line feeds and tabs escaped); an
  // unknown format gets the custom format's empty ones.
  static ExportCustomStrings presetFor(qint32 format);
  // "\\n" becomes a line feed, then "\\t" a tab; nothing else is an escape.
  static QString expandEscapes(const QString& typed);
  // A text read as a yes or no: after blanks, a sign and zeros, Y, y, T, t or 1..9 is yes.
  static bool boolValue(QStringView text);
};
