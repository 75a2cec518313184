#pragma once

#include <QString>

// Pattern checks for e-mail addresses and host names; each trims spaces (" " only) from both
// ends and then needs the whole text to match.
class ZVNetValidator {
 public:
  ZVNetValidator() = delete;

  static bool isValidEmail(const QString& text);
  static bool isValidDomain(const QString& text);
  // Four dotted parts of at least two digits each; parts above 255 are not caught.
  static bool isNumericDomain(const QString& text);
  // Comma-separated addresses; empty pieces are skipped, so "" and "a@b.cd," pass.
  static bool isValidEmailAlsoMultiple(const QString& text);

  // The text less spaces (" " only, not tabs or line ends) at both ends.
  static QString trimSpaces(const QString& text);
};
