#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class TextMeasurer;

// String shaping and identifiers; class operations only.
class ZVStringUtils {
 public:
  ZVStringUtils() = delete;

  // 36 characters, upper-case hexadecimal, 8-4-4-4-12.
  static QString createUUIDString();
  static QString uniqueUUIDString();

  // Local year, month, day, hour, minute, second: "20260314091502".
  static QString uniqueTimeString();
  static QString uniqueTimeRandString();
  // "0" for a time string not seen just before, then "1", "2", ... while it repeats.
  static QString getNewSerialForTimeString(const QString& timeString);
  static QString uniqueTimeSerialString();

  // Keeps only the UTF-16 units that occur in allowed.
  static QString trimString(const QString& string, const QString& acceptingOnlyChars);
  // The string itself when it fits the width, else its longest prefix (whole code points, at
  // least one) that fits with "..", plus "..".
  static QString trimStringToFit(const QString& string, int pixelLenght,
                                 const TextMeasurer& withAttributes);
  // Nothing when the string is empty or all horizontal whitespace.
  static std::optional<QString> removeInitialSpaces(const QString& string);
  // Leading and trailing " " only.
  static QString trimLateralSpace(const QString& string);
  static QString removeLateralSpace(const QString& string);
  static bool spaceTrimmedNotEmpy(const std::optional<QString>& string);
  static QString trimLateralQuote(const QString& string);
  // Zeros in front up to totalLen characters; never cuts.
  static QString addLeading0(const QString& string, std::int64_t totalLen);
};
