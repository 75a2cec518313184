#pragma once

#include <QString>

class QObject;

// Release numbers as people read them, and the alert for a document from a newer release.
class ZVAppSupportUtility {
 public:
  // 40200 -> "4.2", 20801 -> "2.8.1", 2500 -> "2.5.00"; fewer than four digits -> "".
  static QString calcReleaseString(long number);
  // Modal; true when the user chose to download the newer release.
  static bool sayFilecreatedWithANewerVersion(QObject* sender);
  // Opens the maker's web site.
  static void visitTavrin(QObject* sender);
};
