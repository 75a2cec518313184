#include "Common/ZVNetValidator.h"

#include <QRegularExpression>

namespace {

bool matchesWhole(const QRegularExpression& pattern, const QString& text) {
  return pattern.match(ZVNetValidator::trimSpaces(text)).hasMatch();
}

const QRegularExpression& emailPattern() {
  static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
      QStringLiteral("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,6}")));
  return pattern;
}

}  // namespace

QString ZVNetValidator::trimSpaces(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text.at(begin) == u' ') ++begin;
  while (end > begin && text.at(end - 1) == u' ') --end;
  return text.mid(begin, end - begin);
}

bool ZVNetValidator::isValidEmail(const QString& text) {
  return matchesWhole(emailPattern(), text);
}

bool ZVNetValidator::isValidDomain(const QString& text) {
  // Possessive repeats: the nested dash group would otherwise backtrack exponentially on
  // long labels that fail at the end.
  static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
      QStringLiteral("(?:[a-zA-Z0-9]++(?:-*+[a-zA-Z0-9])*+\\.)++[a-zA-Z]{2,6}")));
  return matchesWhole(pattern, text);
}

bool ZVNetValidator::isNumericDomain(const QString& text) {
  static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
      QStringLiteral("([0-2]*[0-9]+[0-9]+)\\.([0-2]*[0-9]+[0-9]+)\\.([0-2]*[0-9]+[0-9]+)\\.([0-2]*["
                     "0-9]+[0-9]+)")));
  return matchesWhole(pattern, text);
}

bool ZVNetValidator::isValidEmailAlsoMultiple(const QString& text) {
  const auto pieces = text.split(u',');
  for (const QString& piece : pieces) {
    if (piece.isEmpty()) continue;
    if (!isValidEmail(piece)) return false;
  }
  return true;
}
