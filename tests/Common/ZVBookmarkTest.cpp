#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Common/ZVBookmark.h"
#include "platform/archive/BinaryPropertyListWriter.h"

namespace {

class ZVBookmarkTest : public ::testing::Test {
 protected:
  QString make(const QString& name, const QByteArray& content = "vault") {
    QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(ZVBookmarkTest, RoundTripOfBothAccessKinds) {
  const QString path = make(QStringLiteral("Home.qvlt"));
  for (auto create : {&ZVBookmark::bookmarkForURL_RO, &ZVBookmark::bookmarkForURL_RW}) {
    auto bookmark = create(path);
    ASSERT_TRUE(bookmark) << bookmark.error().toStdString();
    bool stale = true;
    auto resolved = ZVBookmark::urlForBookmark(bookmark.value(), stale);
    ASSERT_TRUE(resolved) << resolved.error().toStdString();
    EXPECT_EQ(resolved.value(), path);
    EXPECT_FALSE(stale);
  }
  EXPECT_FALSE(ZVBookmark::bookmarkForURL_RW(dir.filePath(QStringLiteral("missing.qvlt"))));
  EXPECT_FALSE(ZVBookmark::bookmarkForURL_RW(QString()));
}

TEST_F(ZVBookmarkTest, MovedReplacedAndGoneFiles) {
  const QString path = make(QStringLiteral("Home.qvlt"));
  const QByteArray bookmark = ZVBookmark::bookmarkForURL_RW(path).value();
  bool stale = false;

  // Renamed within its folder: found again, and stale so the caller can renew it.
  const QString renamed = dir.filePath(QStringLiteral("Renamed.qvlt"));
  ASSERT_TRUE(QFile::rename(path, renamed));
  make(QStringLiteral("Other.qvlt"));
  auto resolved = ZVBookmark::urlForBookmark(bookmark, stale);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved.value(), renamed);
  EXPECT_TRUE(stale);

  // Another file at the recorded place (as an atomic save leaves it): that place, stale.
  const QString keep = make(QStringLiteral("Home.qvlt"), "another");
  resolved = ZVBookmark::urlForBookmark(bookmark, stale);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved.value(), keep);
  EXPECT_TRUE(stale);

  // Moved to another folder and nothing left at the place: no result.
  QFile::remove(keep);
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("elsewhere"))));
  ASSERT_TRUE(QFile::rename(renamed, dir.filePath(QStringLiteral("elsewhere/Home.qvlt"))));
  EXPECT_FALSE(ZVBookmark::urlForBookmark(bookmark, stale));
}

TEST_F(ZVBookmarkTest, DocumentRelativeFollowsTheDocument) {
  const QString doc = make(QStringLiteral("a/Doc.qvlt"));
  const QString file = make(QStringLiteral("a/files/Key.txt"));
  const QByteArray bookmark = ZVBookmark::docBookmarkForURL_RW(file, doc).value();
  bool stale = true;
  auto resolved = ZVBookmark::urlForDocBookmark(bookmark, doc, stale);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved.value(), file);
  EXPECT_FALSE(stale);

  // The document's folder moves with the file inside it.
  ASSERT_TRUE(QDir(dir.path()).rename(QStringLiteral("a"), QStringLiteral("b")));
  const QString movedDoc = dir.filePath(QStringLiteral("b/Doc.qvlt"));
  resolved = ZVBookmark::urlForDocBookmark(bookmark, movedDoc, stale);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved.value(), dir.filePath(QStringLiteral("b/files/Key.txt")));
  EXPECT_TRUE(stale);
  EXPECT_FALSE(ZVBookmark::urlForBookmark(bookmark, stale));  // the absolute place is gone
}

TEST_F(ZVBookmarkTest, GarbageGivesNoResult) {
  const QString path = make(QStringLiteral("Home.qvlt"));
  const auto record = [&path](qint64 version, const QString& recorded) {
    return BinaryPropertyListWriter::write(*PropertyListObject::dictionary(
        {QStringLiteral("QVBookmark"), QStringLiteral("path"), QStringLiteral("device"),
         QStringLiteral("inode"), QStringLiteral("isDirectory")},
        {PropertyListObject::integer(version), PropertyListObject::string(recorded),
         PropertyListObject::integer(1), PropertyListObject::integer(2),
         PropertyListObject::boolean(false)}));
  };
  QByteArray truncated = ZVBookmark::bookmarkForURL_RW(path).value();
  truncated.chop(3);
  const struct {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"empty", QByteArray()},
      {"text", QByteArray("/home/someone/Home.qvlt")},
      {"truncated", truncated},
      {"another property list", BinaryPropertyListWriter::write(*PropertyListObject::string(path))},
      {"a later version", record(2, path)},
      {"a relative path", record(1, QStringLiteral("Home.qvlt"))},
  };
  for (const auto& c : cases) {
    bool stale = true;
    EXPECT_FALSE(ZVBookmark::urlForBookmark(c.bytes, stale)) << c.what;
    EXPECT_FALSE(stale) << c.what;
  }
  // A well-formed record of this version still resolves to its path (its identity differs).
  bool stale = false;
  auto resolved = ZVBookmark::urlForBookmark(record(1, path), stale);
  ASSERT_TRUE(resolved);
  EXPECT_TRUE(stale);
}

}  // namespace
