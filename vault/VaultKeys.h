#pragma once

#include <QString>

// Keys of a category dictionary, as stored in documents.
struct CategoryKeys {
  static QString category() { return QStringLiteral("cat_category"); }
  static QString backColor() { return QStringLiteral("cat_backColor"); }
  static QString textColor() { return QStringLiteral("cat_textColor"); }
  static QString howManyUsingThis() { return QStringLiteral("cat_howManyUsingThis"); }
  static QString uniqueID() { return QStringLiteral("cat_uniqueID"); }
};

// Keys of a record dictionary.
struct RecordKeys {
  static QString name() { return QStringLiteral("name"); }
  static QString account() { return QStringLiteral("account"); }
  static QString url() { return QStringLiteral("url"); }
  static QString userID() { return QStringLiteral("userID"); }
  static QString password() { return QStringLiteral("password"); }
  static QString pin() { return QStringLiteral("pin"); }
  static QString security() { return QStringLiteral("security"); }
  static QString email() { return QStringLiteral("email"); }
  static QString note() { return QStringLiteral("note"); }
  static QString creationDate() { return QStringLiteral("creationDate"); }
  static QString modificationDate() { return QStringLiteral("modificationDate"); }
  static QString usageCount() { return QStringLiteral("usageCount"); }
  static QString categoryPtr() { return QStringLiteral("categoryPtr"); }
  static QString categoryID() { return QStringLiteral("categoryID"); }
};
