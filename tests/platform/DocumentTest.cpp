#include <fcntl.h>
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
#include <optional>

#include "platform/Alert.h"
#include "platform/AtomicFile.h"
#include "platform/Document.h"
#include "platform/FileBytes.h"
#include "platform/FileIdentity.h"
#include "platform/Sheet.h"
#include "tests/GuiDriver.h"

namespace {

// The write's answer as a flag, its reason in error.
bool writeFile(const QByteArray& data, const QString& path, QString* error) {
  const Result<void> written = AtomicFile::write(data, path);
  if (error) *error = written.error();
  return written.ok();
}
// Told every descriptor synced while set.
std::function<void(int)> syncObserver;
}  // namespace

// Stands in for the C library's fsync in this test program, to see what a save syncs.
extern "C" int fsync(int fd) {
  if (syncObserver) syncObserver(fd);
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

  DocumentResult<QByteArray> dataOfType(const QString&) override {
    if (!canSave) return DocumentError{DocumentError::Reason::NothingToSave, QString()};
    ++saves;
    return bytes;
  }
  bool autosavesInPlace() const override { return autosaves; }
  QString autosavingFileType() const override { return autosaveType; }

  // Reverting takes the file's bytes, as a reader tells the document what it read.
  DocumentResult<void> revertToContentsOfURL(const QString& path, const QString&) override {
    const std::optional<FileIdentity> before = FileIdentity::fieldsOf(path);
    auto read = FileBytes::read(path);
    if (!read) return DocumentError{DocumentError::Reason::NotRead, read.error()};
    bytes = read.take();
    noteFileRead(path, before, {bytes});
    return {};
  }
  QWidget* windowForSheet() const override { return window; }
  QWidget* window = nullptr;
};

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

mode_t permissionsOf(const QString& path) {
  struct stat info {};
  return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 07777;
}

class DocumentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    Document::setAutosavingDelay(0);
    AtomicFile::setBeforeCommitHook({});
  }
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir;
  BytesDocument doc;
};

TEST_F(DocumentTest, SavingCreatesAnOwnerOnlyFileAndClearsTheChangeCount) {
  doc.updateChangeCount(ChangeCounting::ChangeDone);
  ASSERT_TRUE(doc.isDocumentEdited());
  const DocumentResult<void> saved = doc.saveToURL(path("new.qvlt"));
  ASSERT_TRUE(saved) << saved.error().toStdString();
  EXPECT_EQ(readAll(path("new.qvlt")), "vault bytes");
  struct stat info {};
  ASSERT_EQ(stat(QFile::encodeName(path("new.qvlt")).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(doc.fileURL(), path("new.qvlt"));
  EXPECT_FALSE(doc.isDocumentEdited());
  EXPECT_EQ(entries(), QStringList{QStringLiteral("new.qvlt")});  // no temporary left behind
}

TEST_F(DocumentTest, FailedSavesLeaveThePreviousFileByteForByte) {
  ASSERT_TRUE(AtomicFile::write("previous contents", path("v.qvlt")));
  doc.setFileURL(path("v.qvlt"));
  doc.bytes = QByteArray(qsizetype{256} * 1024, 'x');

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
      {"interrupted before the rename",
       [] { AtomicFile::setBeforeCommitHook([] { return false; }); },
       [] { AtomicFile::setBeforeCommitHook({}); }, QStringLiteral("interrupted")},
      {"disk full",
       [&] {
         // Writes past 64 KiB fail with EFBIG, as on a full disk.
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit small = saved;
         small.rlim_cur = rlim_t{64} * 1024;
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
         doc.bytes = QByteArray(qsizetype{256} * 1024, 'x');
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
    const DocumentResult<void> result = doc.saveToURL(path("v.qvlt"));
    const bool saved = result.ok();
    const QString error = result.error();
    c.restore();
    EXPECT_FALSE(saved) << c.what;
    EXPECT_TRUE(error.contains(c.reason)) << c.what << ": " << error.toStdString();
    EXPECT_EQ(readAll(path("v.qvlt")), "previous contents") << c.what;
    EXPECT_EQ(entries(), QStringList{QStringLiteral("v.qvlt")}) << c.what;
    EXPECT_TRUE(doc.isDocumentEdited()) << c.what;  // the changes are still unsaved
  }
}

// A document that gives its bytes in pieces writes them one after the other, as atomically
// as one buffer: a failure in a later piece leaves the previous file whole.
TEST_F(DocumentTest, PiecesAreSavedInOrderAsOneFileOrNotAtAll) {
  class PiecesDocument : public BytesDocument {
   public:
    QByteArrayList pieces;
    DocumentResult<QByteArrayList> piecesOfType(const QString&) override { return pieces; }
  };
  PiecesDocument pieced;
  const QByteArray big(qsizetype{200} * 1024, 'b');
  pieced.pieces = {QByteArray("head"), QByteArray(), big, QByteArray("tail")};
  ASSERT_TRUE(pieced.saveToURL(path("p.qvlt")));
  EXPECT_EQ(readAll(path("p.qvlt")), QByteArray("head") + big + "tail");
  EXPECT_EQ(permissionsOf(path("p.qvlt")), 0600u);

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::function<void()> restore;
  } cases[] = {
      {"interrupted before the rename",
       [] { AtomicFile::setBeforeCommitHook([] { return false; }); },
       [] { AtomicFile::setBeforeCommitHook({}); }},
      {"disk full in the large piece",
       [&] {
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit small = saved;
         small.rlim_cur = rlim_t{64} * 1024;
         setrlimit(RLIMIT_FSIZE, &small);
       },
       [&] { setrlimit(RLIMIT_FSIZE, &saved); }},
  };
  pieced.pieces = {QByteArray("new head"), big, QByteArray("new tail")};
  for (const auto& c : cases) {
    c.arrange();
    const DocumentResult<void> result = pieced.saveToURL(path("p.qvlt"));
    const bool written = result.ok();
    const QString error = result.error();
    c.restore();
    EXPECT_FALSE(written) << c.what;
    EXPECT_FALSE(error.isEmpty()) << c.what;
    EXPECT_EQ(readAll(path("p.qvlt")), QByteArray("head") + big + "tail") << c.what;
    EXPECT_EQ(entries(), QStringList{QStringLiteral("p.qvlt")}) << c.what;
  }
}

TEST_F(DocumentTest, FileBytesReadsTheWholeFileOrSaysWhyNot) {
  const QByteArray big(3 * 1024 * 1024 + 7, 'b');
  ASSERT_TRUE(AtomicFile::write(big, path("big.qvlt")));
  ASSERT_TRUE(AtomicFile::write(QByteArray(), path("empty.qvlt")));
  const struct {
    const char* name;
    bool readable;
    QByteArray bytes;
  } cases[] = {{"big.qvlt", true, big}, {"empty.qvlt", true, {}}, {"missing.qvlt", false, {}}};
  for (const auto& c : cases) {
    const auto read = FileBytes::read(path(c.name));
    ASSERT_EQ(read.ok(), c.readable) << c.name;
    if (c.readable) {
      EXPECT_EQ(read.value(), c.bytes) << c.name;
    } else {
      EXPECT_FALSE(read.error().isEmpty()) << c.name;
    }
  }
}

// The bound and the signature at their edges: nothing is read past a refusal.
TEST_F(DocumentTest, FileBytesHoldsAFileToItsBoundAndSignature) {
  using Reason = FileReadError::Reason;
  const FileReadLimits limits{16, QByteArray("head"), QStringLiteral("test file")};
  const struct {
    const char* name;
    QByteArray bytes;
    std::optional<Reason> refused;
  } cases[] = {
      {"exactly the bound", QByteArray("head") + QByteArray(12, 'x'), std::nullopt},
      {"the signature alone", QByteArray("head"), std::nullopt},
      {"a byte past the bound", QByteArray("head") + QByteArray(13, 'x'), Reason::TooLarge},
      {"shorter than the signature", QByteArray("hea"), Reason::WrongStart},
      {"another start", QByteArray("Head") + QByteArray(4, 'x'), Reason::WrongStart},
      {"empty", QByteArray(), Reason::WrongStart},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(AtomicFile::write(c.bytes, path("f.bin")));
    const auto read = FileBytes::read(path("f.bin"), limits);
    ASSERT_EQ(read.ok(), !c.refused);
    if (c.refused) {
      EXPECT_EQ(read.failure().reason, *c.refused);
      EXPECT_TRUE(read.error().contains(QStringLiteral("test file"))) << read.error().toStdString();
    } else {
      EXPECT_EQ(read.value(), c.bytes);
    }
  }
}

TEST_F(DocumentTest, AnExistingFileKeepsItsPermissions) {
  for (const mode_t mode : {0600u, 0640u, 0644u, 0400u}) {
    ASSERT_TRUE(AtomicFile::write("previous contents", path("v.qvlt")));
    ASSERT_EQ(chmod(QFile::encodeName(path("v.qvlt")).constData(), mode), 0);
    QString error;
    ASSERT_TRUE(writeFile("new contents", path("v.qvlt"), &error))
        << std::oct << mode << ": " << error.toStdString();
    EXPECT_EQ(readAll(path("v.qvlt")), "new contents") << std::oct << mode;
    EXPECT_EQ(permissionsOf(path("v.qvlt")), mode) << std::oct << mode;
    QFile::remove(path("v.qvlt"));
  }
}

TEST_F(DocumentTest, SavingThroughASymbolicLinkUpdatesTheFileItPointsTo) {
  QTemporaryDir elsewhere;
  const QString real = QDir(elsewhere.path()).filePath(QStringLiteral("real.qvlt"));
  struct Case {
    const char* what;
    QString linkTarget;  // what v.qvlt points at
  };
  const Case cases[] = {
      {"absolute link", real},
      {"relative link", QDir(dir.path()).relativeFilePath(real)},
      {"link to a link", path("hop.qvlt")},
  };
  ASSERT_TRUE(QFile::link(real, path("hop.qvlt")));
  for (const auto& c : cases) {
    ASSERT_TRUE(AtomicFile::write("previous contents", real));
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_EQ(symlink(QFile::encodeName(c.linkTarget).constData(),
                      QFile::encodeName(path("v.qvlt")).constData()),
              0)
        << c.what;
    const QString pointsAt = QFile::symLinkTarget(path("v.qvlt"));
    QString error;
    ASSERT_TRUE(writeFile("new contents", path("v.qvlt"), &error))
        << c.what << ": " << error.toStdString();
    EXPECT_TRUE(QFileInfo(path("v.qvlt")).isSymLink()) << c.what;
    EXPECT_EQ(QFile::symLinkTarget(path("v.qvlt")), pointsAt) << c.what;
    EXPECT_EQ(readAll(real), "new contents") << c.what;
    EXPECT_EQ(permissionsOf(real), 0640u) << c.what;
    // No temporary stays on either side of the link.
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("real.qvlt")})
        << c.what;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("hop.qvlt"), QStringLiteral("v.qvlt")}))
        << c.what;
    QFile::remove(path("v.qvlt"));
  }
}

TEST_F(DocumentTest, ARenameThatFailsLeavesNoTemporary) {
  // A folder where the file should be: everything is written, then the rename is refused.
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("v.qvlt/inside")));
  QString error;
  EXPECT_FALSE(writeFile("new contents", path("v.qvlt"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("v.qvlt")});
}

TEST_F(DocumentTest, SavingSyncsTheFileBeforeTheRenameAndTheFolderAfterIt) {
  ASSERT_TRUE(AtomicFile::write("previous contents", path("v.qvlt")));
  struct Sync {
    struct stat synced;
    QByteArray syncedBytes;  // when a file
    QByteArray fileBytes;    // under the file's name then
  };
  std::vector<Sync> syncs;
  // The temporary may have no name yet: it is known by its inode.
  syncObserver = [&](int fd) {
    Sync sync{};
    fstat(fd, &sync.synced);
    if (S_ISREG(sync.synced.st_mode))
      sync.syncedBytes = readAll(QStringLiteral("/proc/self/fd/%1").arg(fd));
    sync.fileBytes = readAll(path("v.qvlt"));
    syncs.push_back(sync);
  };
  const bool saved = AtomicFile::write("new contents", path("v.qvlt")).ok();
  syncObserver = {};
  ASSERT_TRUE(saved);
  struct stat file {
  }, folder{};
  ASSERT_EQ(stat(QFile::encodeName(path("v.qvlt")).constData(), &file), 0);
  ASSERT_EQ(stat(QFile::encodeName(dir.path()).constData(), &folder), 0);
  ASSERT_EQ(syncs.size(), 2u);
  EXPECT_EQ(syncs[0].synced.st_ino, file.st_ino);      // the file that then took the name
  EXPECT_EQ(syncs[0].syncedBytes, "new contents");     // with all its bytes
  EXPECT_EQ(syncs[0].fileBytes, "previous contents");  // before the rename
  EXPECT_EQ(syncs[1].synced.st_ino, folder.st_ino);
  EXPECT_EQ(syncs[1].fileBytes, "new contents");
}

TEST_F(DocumentTest, ASaveRemovesOnlyTheTemporariesThatKilledSavesOfThatFileLeft) {
  ASSERT_TRUE(AtomicFile::write("previous contents", path("Vault.qvlt")));
  ASSERT_EQ(chmod(QFile::encodeName(path("Vault.qvlt")).constData(), 0640), 0);
  // What a save killed just before its rename leaves: its temporary, complete and with the
  // permissions it would have had.
  QString killedSave;
  QByteArray killedBytes;
  mode_t killedPermissions = 0;
  AtomicFile::setBeforeCommitHook([&] {
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
      if (name != QStringLiteral("Vault.qvlt")) killedSave = name;
    killedBytes = readAll(dir.filePath(killedSave));
    killedPermissions = permissionsOf(dir.filePath(killedSave));
    return false;
  });
  EXPECT_FALSE(AtomicFile::write("killed", path("Vault.qvlt")));
  AtomicFile::setBeforeCommitHook({});
  ASSERT_TRUE(killedSave.startsWith(QStringLiteral(".Vault.qvlt.qvsave-")))
      << killedSave.toStdString();
  EXPECT_EQ(killedBytes, "killed");
  EXPECT_EQ(killedPermissions, 0640u);

  struct Case {
    QString name;
    bool removed;
  };
  const Case cases[] = {
      {killedSave, true},  // put back below, as a kill would have left it
      {QStringLiteral(".Vault.qvlt.qvsave-YnNFMY"), true},
      {QStringLiteral(".Vault.qvlt.qvsave-abcdef"), true},
      // The user's own files, whatever their names look like.
      {QStringLiteral("Vault.qvlt.backup"), false},
      {QStringLiteral("Vault.qvlt.before"), false},
      {QStringLiteral("Vault.qvlt.AbCdEf"), false},
      {QStringLiteral("Vault.qvlt.bak"), false},
      {QStringLiteral(".Vault.qvlt.backup"), false},
      {QStringLiteral("Vault.qvlt.qvsave-YnNFMY"), false},  // not hidden
      // Not six letters.
      {QStringLiteral(".Vault.qvlt.qvsave-YnNFM"), false},
      {QStringLiteral(".Vault.qvlt.qvsave-YnNFMYZ"), false},
      {QStringLiteral(".Vault.qvlt.qvsave-YnNF1Y"), false},
      {QStringLiteral(".Vault.qvlt.qvsave-YnN-MY"), false},
      {QStringLiteral(".Vault.qvlt.qvsave-"), false},
      {QStringLiteral(".Vault.qvlt.qvsave-YnNFMY.txt"), false},
      // Another file's.
      {QStringLiteral(".Other.qvlt.qvsave-YnNFMY"), false},
      {QStringLiteral(".xVault.qvlt.qvsave-YnNFMY"), false},
      {QStringLiteral(".Vault.qvltx.qvsave-YnNFMY"), false},
      {QStringLiteral(".Vault.qvlt.qvsaveYnNFMYZ"), false},
  };
  for (const auto& c : cases) {
    QFile f(dir.filePath(c.name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << c.name.toStdString();
    f.write("someone's bytes");
  }
  // Look-alikes that are no plain files of ours stay too, and so does what they point at.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".Vault.qvlt.qvsave-Folder")));
  QTemporaryDir elsewhere;
  const QString pointed = QDir(elsewhere.path()).filePath(QStringLiteral("target"));
  ASSERT_TRUE(AtomicFile::write("pointed at", pointed));
  ASSERT_TRUE(QFile::link(pointed, path(".Vault.qvlt.qvsave-Linked")));
  const bool asRoot = geteuid() == 0;  // only root can give a file to someone else
  if (asRoot) {
    QFile f(path(".Vault.qvlt.qvsave-Others"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(fchown(f.handle(), 65534, 65534), 0);
  }

  const DocumentResult<void> saved = doc.saveToURL(path("Vault.qvlt"));
  ASSERT_TRUE(saved) << saved.error().toStdString();
  for (const auto& c : cases)
    EXPECT_EQ(QFile::exists(dir.filePath(c.name)), !c.removed) << c.name.toStdString();
  EXPECT_TRUE(QFileInfo(path(".Vault.qvlt.qvsave-Folder")).isDir());
  EXPECT_TRUE(QFileInfo(path(".Vault.qvlt.qvsave-Linked")).isSymLink());
  EXPECT_EQ(readAll(pointed), "pointed at");
  if (asRoot) {
    EXPECT_TRUE(QFile::exists(path(".Vault.qvlt.qvsave-Others")));
  }
  EXPECT_EQ(readAll(path("Vault.qvlt")), "vault bytes");
}

TEST_F(DocumentTest, ASaveCommandThatFailsTellsTheUser) {
  doc.setFileURL(path("v.qvlt"));
  doc.canSave = false;
  EXPECT_FALSE(doc.saveDocument());
  GuiDriver::settle();
  ASSERT_EQ(GuiDriver::alertTexts().size(), 1);
  EXPECT_TRUE(GuiDriver::alertTexts().first().contains(QStringLiteral("could not be saved")));
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
    // Only the timer autosaves: none pending means none will come.
    EXPECT_EQ(d.hasPendingAutosave(), c.expectSave) << c.what;
    if (c.expectSave) {
      EXPECT_TRUE(QTest::qWaitFor([&d] { return d.saves > 0; }, 30000)) << c.what;
    }
    EXPECT_EQ(d.saves, c.expectSave ? 1 : 0) << c.what;
    EXPECT_EQ(d.isDocumentEdited(), !c.expectSave) << c.what;
  }
  // A change cleared before the delay runs out cancels the autosave.
  BytesDocument d;
  Document::setAutosavingDelay(0.02);
  d.setFileURL(path("auto.qvlt"));
  d.updateChangeCount(ChangeCounting::ChangeDone);
  d.updateChangeCount(ChangeCounting::ChangeCleared);
  EXPECT_FALSE(d.hasPendingAutosave());
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
    d.canCloseDocumentWithDelegate([&](bool ok) { answer = ok; });
    GuiDriver::settle();
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(c.button))) << c.button;
    ASSERT_TRUE(answer.has_value()) << c.button;
    EXPECT_EQ(*answer, c.mayClose) << c.button;
    EXPECT_EQ(d.saves, c.saves) << c.button;
  }
  BytesDocument clean;
  std::optional<bool> answer;
  clean.canCloseDocumentWithDelegate([&](bool ok) { answer = ok; });
  EXPECT_EQ(answer, true);  // nothing to save: no prompt
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
}

// Another program's file at the path: written beside it and renamed over it, as a sync tool
// does, or rewritten in place.
void writeAsAnotherProgram(const QString& path, const QByteArray& bytes, bool inPlace = false) {
  const QString target = inPlace ? path : path + QStringLiteral(".incoming");
  QFile file(target);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
  file.close();
  if (!inPlace) {
    ASSERT_EQ(::rename(QFile::encodeName(target), QFile::encodeName(path)), 0);
  }
}

timespec mtimeOf(const QString& path) {
  struct stat info {};
  stat(QFile::encodeName(path).constData(), &info);
  return info.st_mtim;
}

void setMtime(const QString& path, timespec when) {
  const timespec times[2] = {when, when};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

class ChangedFileTest : public DocumentTest {
 protected:
  void SetUp() override {
    file = path("v.qvlt");
    doc.bytes = "ours: version 1";
    ASSERT_TRUE(doc.saveToURL(file));
    doc.bytes = "ours: version 2";
    doc.updateChangeCount(ChangeCounting::ChangeDone);
  }
  QString file;
};

TEST_F(ChangedFileTest, OnlyAFileWithOtherBytesIsKeptFromTheWrite) {
  struct Case {
    const char* what;
    std::function<void(const QString&)> change;
    bool refused;
  };
  const Case cases[] = {
      {"unchanged", [](const QString&) {}, false},
      {"replaced by other bytes of the same size and modification time",
       [](const QString& p) {
         const timespec before = mtimeOf(p);
         writeAsAnotherProgram(p, "them: version 1");
         setMtime(p, before);
       },
       true},
      {"rewritten in place, same size, same modification time",
       [](const QString& p) {
         const timespec before = mtimeOf(p);
         writeAsAnotherProgram(p, "them: version 1", true);
         setMtime(p, before);
       },
       false},  // nothing the file system keeps tells this apart
      {"rewritten in place with other bytes",
       [](const QString& p) {
         const timespec before = mtimeOf(p);
         writeAsAnotherProgram(p, "them: version 1", true);
         setMtime(p, {before.tv_sec, (before.tv_nsec + 1) % 1'000'000'000});
       },
       true},
      {"replaced by a longer file", [](const QString& p) { writeAsAnotherProgram(p, "them"); },
       true},
      {"touched, same bytes",
       [](const QString& p) {
         const timespec before = mtimeOf(p);
         setMtime(p, {before.tv_sec + 5, before.tv_nsec});
       },
       false},
      {"copied back with the same bytes",
       [](const QString& p) { writeAsAnotherProgram(p, "ours: version 1"); }, false},
      {"deleted", [](const QString& p) { ASSERT_TRUE(QFile::remove(p)); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    doc.bytes = "ours: version 1";
    ASSERT_TRUE(doc.saveToURL(file, Document::Overwrite::Anyway));
    c.change(file);
    const QByteArray before = readAll(file);
    doc.bytes = "ours: version 2";
    const DocumentResult<void> saved = doc.saveToURL(file);
    if (c.refused) {
      ASSERT_FALSE(saved);
      EXPECT_EQ(saved.failure().reason, DocumentError::Reason::ChangedElsewhere);
      EXPECT_EQ(saved.error(),
                QStringLiteral("“v” was changed by another program since it was opened or saved."));
      EXPECT_EQ(readAll(file), before);
    } else {
      EXPECT_TRUE(saved) << saved.error().toStdString();
      EXPECT_EQ(readAll(file), "ours: version 2");
    }
  }
}

TEST_F(ChangedFileTest, SaveAsOntoTheSameFileAsksAndAnotherFileIsWritten) {
  writeAsAnotherProgram(file, "them");
  EXPECT_FALSE(doc.saveDocumentAs(file));
  GuiDriver::settle();
  EXPECT_EQ(GuiDriver::alertTexts(),
            QStringList{QStringLiteral(
                "“v” was changed by another program since it was opened or saved.")});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_EQ(readAll(file), "them");
  EXPECT_TRUE(doc.isDocumentEdited());
  // Cancel leaves Save As to another name, which writes at once.
  EXPECT_TRUE(doc.saveDocumentAs(path("copy.qvlt")));
  EXPECT_EQ(readAll(path("copy.qvlt")), "ours: version 2");
  EXPECT_EQ(readAll(file), "them");
}

TEST_F(ChangedFileTest, TheSaveCommandsAlertFollowsItsAnswer) {
  struct Case {
    const char* button;
    QByteArray fileAfter;
    QByteArray documentAfter;
    bool matches;  // what the caller is told
  };
  const Case cases[] = {
      {"&Save Anyway", "ours: version 2", "ours: version 2", true},
      {"&Revert", "them", "them", true},
      {"Cancel", "them", "ours: version 2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    doc.bytes = "ours: version 1";
    ASSERT_TRUE(doc.saveToURL(file, Document::Overwrite::Anyway));
    doc.bytes = "ours: version 2";
    doc.updateChangeCount(ChangeCounting::ChangeDone);
    writeAsAnotherProgram(file, "them");
    std::optional<bool> told;
    doc.saveDocument([&told](bool matches) { told = matches; });
    GuiDriver::settle();
    EXPECT_FALSE(told.has_value());  // until answered
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(c.button)));
    EXPECT_EQ(told, c.matches);
    EXPECT_EQ(readAll(file), c.fileAfter);
    EXPECT_EQ(doc.bytes, c.documentAfter);
    EXPECT_EQ(doc.isDocumentEdited(), !c.matches);
    EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
    // Saved anyway or reverted, the file is the one the document knows again.
    EXPECT_EQ(doc.checkFileUnchanged(file).ok(), c.matches);
  }
}

TEST_F(ChangedFileTest, TheCloseAndQuitPromptsSaveGoesThroughTheAlert) {
  writeAsAnotherProgram(file, "them");
  std::optional<bool> mayClose;
  doc.canCloseDocumentWithDelegate([&mayClose](bool ok) { mayClose = ok; });
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Save")));
  EXPECT_FALSE(mayClose.has_value());
  EXPECT_EQ(readAll(file), "them");
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_EQ(mayClose, false);
  EXPECT_EQ(readAll(file), "them");

  mayClose.reset();
  doc.canCloseDocumentWithDelegate([&mayClose](bool ok) { mayClose = ok; });
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Save")));
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Save Anyway")));
  EXPECT_EQ(mayClose, true);
  EXPECT_EQ(readAll(file), "ours: version 2");
}

TEST_F(ChangedFileTest, AnAutosaveHoldsBackAndAsksAtTheWindowsNextUse) {
  QWidget window;
  QWidget other;
  window.show();
  other.show();
  GuiDriver::settle();
  doc.window = &window;
  Document::setAutosavingDelay(0.01);
  writeAsAnotherProgram(file, "them");
  doc.updateChangeCount(ChangeCounting::ChangeDone);
  ASSERT_TRUE(QTest::qWaitFor([this] { return doc.hasHeldBackWrite(); }, 5000));
  EXPECT_EQ(readAll(file), "them");
  EXPECT_TRUE(doc.isDocumentEdited());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());

  // Another window's use is not this one's.
  QTest::keyClick(&other, Qt::Key_Shift);
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  QTest::mouseClick(&window, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([] { return !GuiDriver::alertTexts().isEmpty(); }, 5000));
  GuiDriver::snapshot(GuiDriver::onlyAlert(), QStringLiteral("changed-file-alert"));
  EXPECT_EQ(GuiDriver::alertTexts(),
            QStringList{QStringLiteral(
                "“v” was changed by another program since it was opened or saved.")});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Save Anyway")));
  EXPECT_EQ(readAll(file), "ours: version 2");
  EXPECT_FALSE(doc.hasHeldBackWrite());
  EXPECT_FALSE(doc.isDocumentEdited());
}

TEST_F(ChangedFileTest, ComingBackOffersTheChangedFileOnlyToAnUneditedDocument) {
  // Edited: nothing now, its next save asks.
  writeAsAnotherProgram(file, "them: 1");
  doc.checkFileAfterActivation();
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());

  doc.updateChangeCount(ChangeCounting::ChangeCleared);
  doc.checkFileAfterActivation();
  GuiDriver::settle();
  EXPECT_EQ(GuiDriver::alertTexts(),
            QStringList{QStringLiteral("“v” was changed by another program.")});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  // Declined: not offered again for the same bytes, but for the next change.
  doc.checkFileAfterActivation();
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  writeAsAnotherProgram(file, "them: 2");
  doc.checkFileAfterActivation();
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Revert")));
  EXPECT_EQ(doc.bytes, "them: 2");
  EXPECT_FALSE(doc.isDocumentEdited());
  // Its file is known again: nothing to offer, and a save writes.
  doc.checkFileAfterActivation();
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_TRUE(doc.saveToURL(file));
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
    GuiDriver::settle();
    ASSERT_TRUE(GuiDriver::pressAlertButton(titles[pressed]));
    EXPECT_EQ(code, Alert::FirstButtonReturn + pressed);
  }
  // Escape presses Cancel.
  Alert alert;
  for (const auto& t : titles) alert.addButtonWithTitle(t);
  int code = 0;
  alert.beginSheetModalForWindow(nullptr, [&](int c) { code = c; });
  GuiDriver::settle();
  QTest::keyClick(GuiDriver::onlyAlert(), Qt::Key_Escape);
  GuiDriver::settle();
  EXPECT_EQ(code, Alert::SecondButtonReturn);
}

TEST(SheetTest, ItsOwnCloseActionEndsWithAbortAndCompletionRunsOnce) {
  QWidget window;
  window.show();
  Sheet sheet;
  std::vector<int> codes;
  sheet.beginSheet(&window, [&](int c) { codes.push_back(c); });
  GuiDriver::settle();
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
