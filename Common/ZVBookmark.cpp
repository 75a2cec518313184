#include "Common/ZVBookmark.h"

#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <optional>

#include "platform/archive/BinaryPropertyListReader.h"
#include "platform/archive/BinaryPropertyListWriter.h"

namespace {
constexpr qint64 kVersion = 1;
constexpr char kMarker[] = "QVBookmark";  // the version, under a key no other record has

struct Identity {
  quint64 device = 0;
  quint64 inode = 0;
  bool isDirectory = false;
  friend bool operator==(const Identity&, const Identity&) = default;
};

std::optional<Identity> identityOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  return Identity{static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
                  S_ISDIR(info.st_mode)};
}

Failure invalid(const QString& why) { return Failure{QStringLiteral("bookmark: ") + why}; }

// The record as read: every field checked for its kind.
struct Record {
  QString path;
  QString relativePath;
  Identity identity;
};

Result<Record> parse(const QByteArray& bytes) {
  auto plist = BinaryPropertyListReader::read(bytes);
  if (!plist) return invalid(plist.error());
  const PropertyListObject& root = *plist.value();
  if (root.kind() != PropertyListObject::Kind::Dictionary)
    return invalid(QStringLiteral("not a record"));
  const auto field = [&root](const char* key, PropertyListObject::Kind kind) {
    const PropertyListObject* v = root.valueForKey(QString::fromLatin1(key));
    return v && v->kind() == kind ? v : nullptr;
  };
  const auto* version = field(kMarker, PropertyListObject::Kind::Integer);
  if (!version || version->integerValue() != kVersion)
    return invalid(QStringLiteral("unknown version"));
  const auto* path = field("path", PropertyListObject::Kind::String);
  const auto* device = field("device", PropertyListObject::Kind::Integer);
  const auto* inode = field("inode", PropertyListObject::Kind::Integer);
  const auto* directory = field("isDirectory", PropertyListObject::Kind::Boolean);
  if (!path || !device || !inode || !directory) return invalid(QStringLiteral("fields missing"));
  if (!QDir::isAbsolutePath(path->stringValue()) || path->stringValue().contains(QChar(0)))
    return invalid(QStringLiteral("the path is not absolute"));
  Record record{QDir::cleanPath(path->stringValue()),
                {},
                Identity{static_cast<quint64>(device->integerValue()),
                         static_cast<quint64>(inode->integerValue()), directory->boolValue()}};
  if (const auto* relative = field("relativePath", PropertyListObject::Kind::String))
    record.relativePath = relative->stringValue();
  return record;
}

// The entry of that folder that is the recorded file under another name.
QString renamedWithin(const QString& folder, const Identity& identity) {
  QDirIterator entries(folder,
                       QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (int seen = 0; entries.hasNext() && seen < ZVBookmark::kMaxFolderEntries; ++seen) {
    QString candidate = entries.next();
    if (identityOf(candidate) == identity) return candidate;
  }
  return {};
}
}  // namespace

Result<QByteArray> ZVBookmark::make(const QString& path, const QString& docPath, bool readOnly) {
  if (path.isEmpty()) return invalid(QStringLiteral("no file"));
  const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  const auto identity = identityOf(absolute);
  if (!identity) return invalid(QStringLiteral("there is no file at “%1”").arg(absolute));
  std::vector<QString> keys = {QString::fromLatin1(kMarker), QStringLiteral("path"),
                               QStringLiteral("name"),       QStringLiteral("isDirectory"),
                               QStringLiteral("device"),     QStringLiteral("inode"),
                               QStringLiteral("readOnly")};
  std::vector<PropertyListRef> values = {
      PropertyListObject::integer(kVersion),
      PropertyListObject::string(absolute),
      PropertyListObject::string(QFileInfo(absolute).fileName()),
      PropertyListObject::boolean(identity->isDirectory),
      PropertyListObject::integer(static_cast<qint64>(identity->device)),
      PropertyListObject::integer(static_cast<qint64>(identity->inode)),
      PropertyListObject::boolean(readOnly)};
  if (!docPath.isEmpty()) {
    keys.emplace_back(QStringLiteral("relativePath"));
    values.push_back(
        PropertyListObject::string(QFileInfo(docPath).absoluteDir().relativeFilePath(absolute)));
  }
  return BinaryPropertyListWriter::write(
      *PropertyListObject::dictionary(std::move(keys), std::move(values)));
}

Result<QString> ZVBookmark::resolve(const QByteArray& bookmark, const QString& docPath,
                                    bool& isStale) {
  isStale = false;
  auto parsed = parse(bookmark);
  if (!parsed) return Failure{parsed.error()};
  const Record& record = parsed.value();
  // A document's bookmark follows the document first: both may have moved together.
  QString place = record.path;
  if (!docPath.isEmpty() && !record.relativePath.isEmpty()) {
    const QString relative =
        QDir::cleanPath(QFileInfo(docPath).absoluteDir().absoluteFilePath(record.relativePath));
    if (identityOf(relative)) place = relative;
  }
  if (const auto found = identityOf(place)) {
    isStale = place != record.path || !(*found == record.identity);
    return place;
  }
  const QString renamed = renamedWithin(QFileInfo(place).absolutePath(), record.identity);
  if (renamed.isEmpty()) return invalid(QStringLiteral("the file is gone"));
  isStale = true;
  return QDir::cleanPath(renamed);
}

Result<QByteArray> ZVBookmark::bookmarkForURL_RO(const QString& path) {
  return make(path, {}, true);
}

Result<QByteArray> ZVBookmark::bookmarkForURL_RW(const QString& path) {
  return make(path, {}, false);
}

Result<QString> ZVBookmark::urlForBookmark(const QByteArray& bookmark, bool& isStale) {
  return resolve(bookmark, {}, isStale);
}

Result<QByteArray> ZVBookmark::docBookmarkForURL_RO(const QString& path, const QString& docPath) {
  return make(path, docPath, true);
}

Result<QByteArray> ZVBookmark::docBookmarkForURL_RW(const QString& path, const QString& docPath) {
  return make(path, docPath, false);
}

Result<QString> ZVBookmark::urlForDocBookmark(const QByteArray& bookmark, const QString& docPath,
                                              bool& isStale) {
  return resolve(bookmark, docPath, isStale);
}
