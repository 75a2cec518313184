#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/Alert.h"
#include "platform/Document.h"
#include "platform/Sheet.h"
#include "tests/GuiDriver.h"

namespace {
// Told the path of every descriptor synced while set.
std::function<void(const QString&)> syncObserver;
}  // namespace

// Stands in for the C library's fsync in this test program, to see what a save syncs.
extern "C" int fsync(int fd) {
  if (syncObserver)
    syncObserver(QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget());
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

class BytesDocument : public Document {
 public:
  QByteArray bytes = "vault bytes";
  bool canSave = true;
  bool autosaves = true;
  QString autosaveType = QStringLiteral("qvlt");
  int saves = 0;

  std::optional<QByteArray> dataOfType(const QString&, QString*) override {
    if (!canSave) return std::nullopt;
    ++saves;
    return bytes;
  }
  bool autosavesInPlace() const override { return autosaves; }
  QString autosavingFileType() const override { return autosaveType; }
};

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class DocumentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    gui::closeAllAlerts();
    Document::setAutosavingDelay(0);
    Document::setBeforeCommitHook({});
  }
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir;
  BytesDocument doc;
};

TEST_F(DocumentTest, SavingCreatesAnOwnerOnlyFileAndClearsTheChangeCount) {
  doc.updateChangeCount(ChangeCounting::ChangeDone);
  ASSERT_TRUE(doc.isDocumentEdited());
  QString error;
  ASSERT_TRUE(doc.saveToURL(path("new.qvlt"), &error)) << error.toStdString();
  EXPECT_EQ(readAll(path("new.qvlt")), "vault bytes");
  struct stat info {};
  ASSERT_EQ(stat(QFile::encodeName(path("new.qvlt")).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(doc.fileURL(), path("new.qvlt"));
  EXPECT_FALSE(doc.isDocumentEdited());
  EXPECT_EQ(entries(), QStringList{QStringLiteral("new.qvlt")});  // no temporary left behind
}

TEST_F(DocumentTest, FailedSavesLeaveThePreviousFileByteForByte) {
  ASSERT_TRUE(Document::writeToURL("previous contents", path("v.qvlt"), nullptr));
  doc.setFileURL(path("v.qvlt"));
  doc.bytes = QByteArray(256 * 1024, 'x');

  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::function<void()> restore;
    QString reason;
  };
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const Case cases[] = {
      {"document has no data", [&] { doc.canSave = false; }, [&] { doc.canSave = true; },
       QStringLiteral("nothing to save")},
      {"interrupted before the rename", [] { Document::setBeforeCommitHook([] { return false; }); },
       [] { Document::setBeforeCommitHook({}); }, QStringLiteral("interrupted")},
      {"disk full",
       [&] {
         // Writes past 64 KiB fail with EFBIG, as on a full disk.
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit small = saved;
         small.rlim_cur = 64 * 1024;
         setrlimit(RLIMIT_FSIZE, &small);
       },
       [&] { setrlimit(RLIMIT_FSIZE, &saved); }, QString::fromLocal8Bit(std::strerror(EFBIG))},
      {"disk full on bytes held in the buffer",
       [&] {
         std::signal(SIGXFSZ, SIG_IGN);
         doc.bytes = QByteArray(100, 'y');
         rlimit small = saved;
         small.rlim_cur = 16;
         setrlimit(RLIMIT_FSIZE, &small);
       },
       [&] {
         setrlimit(RLIMIT_FSIZE, &saved);
         doc.bytes = QByteArray(256 * 1024, 'x');
       },
       QString::fromLocal8Bit(std::strerror(EFBIG))},
      {"folder not writable",
       [&] { QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner); },
       [&] {
         QFile::setPermissions(
             dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
       },
       QString::fromLocal8Bit(std::strerror(EACCES))},
  };
  for (const auto& c : cases) {
    if (std::string(c.what) == "folder not writable" && geteuid() == 0)
      continue;  // root writes anyway
    doc.updateChangeCount(ChangeCounting::ChangeDone);
    c.arrange();
    QString error;
    const bool saved = doc.saveToURL(path("v.qvlt"), &error);
    c.restore();
    EXPECT_FALSE(saved) << c.what;
    EXPECT_TRUE(error.contains(c.reason)) << c.what << ": " << error.toStdString();
    EXPECT_EQ(readAll(path("v.qvlt")), "previous contents") << c.what;
    EXPECT_EQ(entries(), QStringList{QStringLiteral("v.qvlt")}) << c.what;
    EXPECT_TRUE(doc.isDocumentEdited()) << c.what;  // the changes are still unsaved
  }
}

TEST_F(DocumentTest, SavingFlushesTheFolderAfterTheRename) {
  ASSERT_TRUE(Document::writeToURL("previous contents", path("v.qvlt"), nullptr));
  QStringList synced;
  QByteArray fileWhenFolderSynced;
  syncObserver = [&](const QString& target) {
    synced << target;
    if (target == QFileInfo(dir.path()).canonicalFilePath())
      fileWhenFolderSynced = readAll(path("v.qvlt"));
  };
  const bool saved = Document::writeToURL("new contents", path("v.qvlt"), nullptr);
  syncObserver = {};
  ASSERT_TRUE(saved);
  EXPECT_TRUE(synced.contains(QFileInfo(dir.path()).canonicalFilePath()))
      << synced.join(u' ').toStdString();
  EXPECT_EQ(fileWhenFolderSynced, "new contents");
}

TEST_F(DocumentTest, ASaveRemovesTheTemporariesThatKilledSavesOfThatFileLeft) {
  ASSERT_TRUE(Document::writeToURL("previous contents", path("v.qvlt"), nullptr));
  struct Case {
    const char* name;
    bool removed;
  };
  const Case cases[] = {
      {"v.qvlt.YnNFMY", true},  // a save killed between linking and renaming
      {"v.qvlt.abcdef", true},   {"v.qvlt.YnNFM", false},  // not six letters
      {"v.qvlt.YnNFMYZ", false}, {"v.qvlt.YnNF1Y", false}, {"v.qvlt.YnN-MY", false},
      {"v.qvlt.bak", false},     {"w.qvlt.YnNFMY", false},  // another file's
      {"xv.qvlt.YnNFMY", false}, {"v.qvltxYnNFMY", false}, {"v.qvlt.YnNFMY.txt", false},
  };
  for (const auto& c : cases) {
    QFile f(path(c.name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << c.name;
    f.write("someone's bytes");
  }
  // Look-alikes that are no plain files of ours stay too, and so does what they point at.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("v.qvlt.Folder")));
  QTemporaryDir elsewhere;
  const QString pointed = QDir(elsewhere.path()).filePath(QStringLiteral("target"));
  ASSERT_TRUE(Document::writeToURL("pointed at", pointed, nullptr));
  ASSERT_TRUE(QFile::link(pointed, path("v.qvlt.Linked")));

  QString error;
  ASSERT_TRUE(doc.saveToURL(path("v.qvlt"), &error)) << error.toStdString();
  for (const auto& c : cases) EXPECT_EQ(QFile::exists(path(c.name)), !c.removed) << c.name;
  EXPECT_TRUE(QFileInfo(path("v.qvlt.Folder")).isDir());
  EXPECT_TRUE(QFileInfo(path("v.qvlt.Linked")).isSymLink());
  EXPECT_EQ(readAll(pointed), "pointed at");
  EXPECT_EQ(readAll(path("v.qvlt")), "vault bytes");
}

TEST_F(DocumentTest, ASaveCommandThatFailsTellsTheUser) {
  doc.setFileURL(path("v.qvlt"));
  doc.canSave = false;
  EXPECT_FALSE(doc.saveDocument());
  gui::settle();
  ASSERT_EQ(gui::alertTexts().size(), 1);
  EXPECT_TRUE(gui::alertTexts().first().contains(QStringLiteral("could not be saved")));
}

TEST_F(DocumentTest, AutosavesInPlaceOnlyWhenItMay) {
  struct Case {
    const char* what;
    double delay;
    bool hasFile;
    QString type;
    bool expectSave;
  };
  const Case cases[] = {
      {"autosaving", 0.01, true, QStringLiteral("qvlt"), true},
      {"no delay", 0.0, true, QStringLiteral("qvlt"), false},
      {"no file yet", 0.01, false, QStringLiteral("qvlt"), false},
      {"no autosaving type", 0.01, true, QString(), false},
  };
  for (const auto& c : cases) {
    BytesDocument d;
    d.autosaveType = c.type;
    Document::setAutosavingDelay(c.delay);
    if (c.hasFile) d.setFileURL(path("auto.qvlt"));
    d.updateChangeCount(ChangeCounting::ChangeDone);
    QTest::qWait(60);
    EXPECT_EQ(d.saves, c.expectSave ? 1 : 0) << c.what;
    EXPECT_EQ(d.isDocumentEdited(), !c.expectSave) << c.what;
  }
  // A change cleared before the delay runs out cancels the autosave.
  BytesDocument d;
  Document::setAutosavingDelay(0.02);
  d.setFileURL(path("auto.qvlt"));
  d.updateChangeCount(ChangeCounting::ChangeDone);
  d.updateChangeCount(ChangeCounting::ChangeCleared);
  QTest::qWait(60);
  EXPECT_EQ(d.saves, 0);
}

TEST_F(DocumentTest, ClosingAnEditedDocumentAsksAndFollowsTheAnswer) {
  struct Case {
    const char* button;
    bool mayClose;
    int saves;
  };
  const Case cases[] = {{"Save", true, 1}, {"Cancel", false, 0}, {"Don't Save", true, 0}};
  for (const auto& c : cases) {
    BytesDocument d;
    d.setFileURL(path("c.qvlt"));
    d.updateChangeCount(ChangeCounting::ChangeDone);
    std::optional<bool> answer;
    d.canCloseDocument([&](bool ok) { answer = ok; });
    gui::settle();
    ASSERT_TRUE(gui::pressAlertButton(QString::fromUtf8(c.button))) << c.button;
    ASSERT_TRUE(answer.has_value()) << c.button;
    EXPECT_EQ(*answer, c.mayClose) << c.button;
    EXPECT_EQ(d.saves, c.saves) << c.button;
  }
  BytesDocument clean;
  std::optional<bool> answer;
  clean.canCloseDocument([&](bool ok) { answer = ok; });
  EXPECT_EQ(answer, true);  // nothing to save: no prompt
  EXPECT_TRUE(gui::alertTexts().isEmpty());
}

TEST(AlertTest, ButtonsAnswerByTheOrderTheyWereAddedNotByLayout) {
  const QStringList titles = {QStringLiteral("Save"), QStringLiteral("Cancel"),
                              QStringLiteral("Don't Save")};
  for (int pressed = 0; pressed < 3; ++pressed) {
    Alert alert;
    alert.messageText = QStringLiteral("Question");
    for (const auto& t : titles) alert.addButtonWithTitle(t);
    int code = 0;
    alert.beginSheetModalForWindow(nullptr, [&](int c) { code = c; });
    gui::settle();
    ASSERT_TRUE(gui::pressAlertButton(titles[pressed]));
    EXPECT_EQ(code, Alert::FirstButtonReturn + pressed);
  }
  // Escape presses Cancel.
  Alert alert;
  for (const auto& t : titles) alert.addButtonWithTitle(t);
  int code = 0;
  alert.beginSheetModalForWindow(nullptr, [&](int c) { code = c; });
  gui::settle();
  QTest::keyClick(gui::onlyAlert(), Qt::Key_Escape);
  gui::settle();
  EXPECT_EQ(code, Alert::SecondButtonReturn);
}

TEST(SheetTest, ItsOwnCloseActionEndsWithAbortAndCompletionRunsOnce) {
  QWidget window;
  window.show();
  Sheet sheet;
  std::vector<int> codes;
  sheet.beginSheet(&window, [&](int c) { codes.push_back(c); });
  gui::settle();
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
  QTest::keyClick(&sheet, Qt::Key_Escape);
  sheet.endSheet(5);  // already ended: ignored
  EXPECT_EQ(codes, std::vector<int>{Sheet::AbortReturn});
  sheet.beginSheet(&window, [&](int c) { codes.push_back(c); });
  sheet.endSheet(1000);
  EXPECT_EQ(codes, (std::vector<int>{Sheet::AbortReturn, 1000}));
}

}  // namespace
