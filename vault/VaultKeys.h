#pragma once

#include <QString>

// Keys of a category dictionary, as stored in documents.
namespace CategoryKeys {
inline QString category() { return QStringLiteral("cat_category"); }
inline QString backColor() { return QStringLiteral("cat_backColor"); }
inline QString textColor() { return QStringLiteral("cat_textColor"); }
inline QString howManyUsingThis() { return QStringLiteral("cat_howManyUsingThis"); }
inline QString uniqueID() { return QStringLiteral("cat_uniqueID"); }
}  // namespace CategoryKeys

// Keys of a record dictionary.
namespace RecordKeys {
inline QString name() { return QStringLiteral("name"); }
inline QString account() { return QStringLiteral("account"); }
inline QString url() { return QStringLiteral("url"); }
inline QString userID() { return QStringLiteral("userID"); }
inline QString password() { return QStringLiteral("password"); }
inline QString pin() { return QStringLiteral("pin"); }
inline QString security() { return QStringLiteral("security"); }
inline QString email() { return QStringLiteral("email"); }
inline QString note() { return QStringLiteral("note"); }
inline QString creationDate() { return QStringLiteral("creationDate"); }
inline QString modificationDate() { return QStringLiteral("modificationDate"); }
inline QString usageCount() { return QStringLiteral("usageCount"); }
inline QString categoryPtr() { return QStringLiteral("categoryPtr"); }
inline QString categoryID() { return QStringLiteral("categoryID"); }
}  // namespace RecordKeys
