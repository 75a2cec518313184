#include "window/PhoneList.h"

#include <QRegularExpression>

#include "platform/Dictionary.h"
#include "vault/VaultKeys.h"

namespace PhoneList {

namespace {
constexpr int kFewestDigits = 7;
constexpr int kMostDigits = 15;  // the longest international number

// Not inside a word, an address or a longer run of digits and separators.
const QRegularExpression& candidate() {
  static const QRegularExpression re(
      QStringLiteral(R"((?<![\w+./\-])\+?(?:\(\d+\)|\d+)(?:[ ./\-]?(?:\(\d+\)|\d+))*(?![\w]))"));
  return re;
}

// Shapes that have enough digits but are dates or network addresses.
bool isDateOrAddress(const QString& text) {
  static const QRegularExpression shapes(QStringLiteral(
      R"(^(?:\d{4}[./\-]\d{1,2}[./\-]\d{1,2}|\d{1,2}[./\-]\d{1,2}[./\-]\d{4}|\d{1,3}(?:\.\d{1,3}){3})$)"));
  return shapes.match(text).hasMatch();
}

int digitCount(const QString& text) {
  int n = 0;
  for (const QChar c : text)
    if (c.isDigit()) ++n;
  return n;
}
}  // namespace

QStringList numbersIn(const QString& text) {
  QStringList numbers;
  QRegularExpressionMatchIterator it = candidate().globalMatch(text);
  while (it.hasNext()) {
    const QString found = it.next().captured(0);
    const int digits = digitCount(found);
    if (digits < kFewestDigits || digits > kMostDigits || isDateOrAddress(found)) continue;
    numbers << found;
  }
  return numbers;
}

std::vector<Row> rowsFor(const std::vector<DictRef>& records) {
  const std::pair<QString, QString> fields[] = {{RecordKeys::account(), QStringLiteral("Account")},
                                                {RecordKeys::userID(), QStringLiteral("User ID")},
                                                {RecordKeys::note(), QStringLiteral("Note")}};
  std::vector<Row> rows;
  for (const DictRef& record : records) {
    if (!record) continue;
    const QString name = record->value(RecordKeys::name()).toString();
    for (const auto& [key, title] : fields)
      for (const QString& number : numbersIn(record->value(key).toString()))
        rows.push_back({name, number, title});
  }
  return rows;
}

}  // namespace PhoneList
