#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/Dictionary.h"

// The phone numbers that records hold in their plain texts (account, user ID, note), one row
// per number, for the window's phone list. Secret fields are never read.
namespace PhoneList {

struct Row {
  QString name;    // the record's name
  QString number;  // as the record writes it
  QString field;   // the title of the field it was found in
};

// The phone-number-shaped runs of text: an optional "+", digits with single spaces, dashes,
// dots, slashes or brackets between them, 7 to 15 digits in all. Dates and IPv4 addresses
// are not numbers to call.
QStringList numbersIn(const QString& text);

// The rows for records, in their order; within a record, account, user ID, then note.
std::vector<Row> rowsFor(const std::vector<DictRef>& records);

}  // namespace PhoneList
