#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/UserGuideInstaller.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

QByteArray read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class UserGuideInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    source = root.filePath(QStringLiteral("bundle.pdf"));
    write(source, "%PDF new guide");
    folder = root.filePath(QStringLiteral("Quorlith 4 User Guide"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Quorlith 4 User Guide 4.0.pdf")));
    write(folder + QStringLiteral("/Quorlith 4 User Guide 4.0.pdf/kept.txt"), "inside");
    write(folder + QStringLiteral("/Quorlith 4 User Guide 4.1.pdf"), "%PDF old guide");
    write(folder + QStringLiteral("/my notes.txt"), "mine");
    write(folder + QStringLiteral("/.DS_Store"), "mac");
  }
  QString in(const char* name) const { return folder + QLatin1Char('/') + QString::fromUtf8(name); }

  QTemporaryDir root;
  QString source, folder;
  UserGuideInstaller installer{QStringLiteral("Quorlith 4 User Guide"),
                               QStringLiteral("Quorlith 4 User Guide 4.2")};
};

TEST_F(UserGuideInstallerTest, FirstUseCopiesAndRemovesOnlyOlderCopiesOfTheGuide) {
  const QString target = installer.install(source, folder);
  EXPECT_EQ(target, in("Quorlith 4 User Guide 4.2.pdf"));
  EXPECT_EQ(read(target), "%PDF new guide");
  EXPECT_FALSE(QFile::exists(in("Quorlith 4 User Guide 4.1.pdf")));
  EXPECT_EQ(read(in("my notes.txt")), "mine");
  EXPECT_EQ(read(in(".DS_Store")), "mac");
  // A folder is never removed, even one named like a guide, nor anything inside it.
  EXPECT_EQ(read(in("Quorlith 4 User Guide 4.0.pdf/kept.txt")), "inside");
}

TEST_F(UserGuideInstallerTest, SecondUseKeepsTheUsersCopyAndDeletesNothing) {
  const QString target = installer.install(source, folder);
  write(target, "annotated by the user");
  write(in("Quorlith 4 User Guide 3.9.pdf"), "%PDF older");
  EXPECT_EQ(installer.install(source, folder), target);
  EXPECT_EQ(read(target), "annotated by the user");
  EXPECT_TRUE(QFile::exists(in("Quorlith 4 User Guide 3.9.pdf")));
}

TEST_F(UserGuideInstallerTest, MissingFolderIsCreated) {
  const QString fresh = root.filePath(QStringLiteral("a/b/guide"));
  const QString target = installer.install(source, fresh);
  EXPECT_EQ(read(target), "%PDF new guide");
}

TEST_F(UserGuideInstallerTest, NoNameOrNoSourceDeletesNothing) {
  for (const UserGuideInstaller& nameless :
       {UserGuideInstaller(QString(), QString()),
        UserGuideInstaller(QString(), QStringLiteral("x")),
        UserGuideInstaller(QStringLiteral("Quorlith 4 User Guide"), QString())}) {
    EXPECT_TRUE(nameless.install(source, folder).isEmpty());
    EXPECT_TRUE(nameless.install(source, QString()).isEmpty());
  }
  // A missing source: no copy, so no clean-up either.
  installer.install(root.filePath(QStringLiteral("absent.pdf")), folder);
  EXPECT_TRUE(QFile::exists(in("Quorlith 4 User Guide 4.1.pdf")));
  EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
            4);
}

TEST_F(UserGuideInstallerTest, OlderCopyNamePattern) {
  const struct {
    const char* name;
    bool older;
  } cases[] = {
      {"Quorlith 4 User Guide 4.1.pdf", true},
      {"Quorlith 4 User Guide.pdf", true},
      {"Quorlith 4 User Guide 4.2.pdf", false},
      {"Quorlith 4 User Guide 4.1.txt", false},
      {"Quorlith 4 User Guidebook.pdf", false},
      {"Other Guide 4.1.pdf", false},
      {".DS_Store", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(installer.isOlderCopy(QString::fromUtf8(c.name)), c.older) << c.name;
}

}  // namespace
