#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <optional>

#include "app/ZVRevertDocController.h"
#include "platform/archive/KeyedArchiver.h"
#include "tests/GuiDriver.h"
#include "tests/PipeWatchdog.h"
#include "tests/app/SavedVault.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "vault/VaultFileBytes.h"
#include "window/VaultDocumentWindow.h"

namespace {

// A controller whose failures are recorded instead of shown.
class QuietController : public ZVRevertDocController {
 public:
  QStringList errors;

 protected:
  void presentError(const QString& message, const QString& informative) override {
    errors << message + QLatin1Char(' ') + informative;
  }
};

QByteArray contentsOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A lock file is the owner's alone, whatever the umask.
bool isOwnersAlone(const QString& path) {
  return QFile::permissions(path) ==
         (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

// A file that begins with head, ends with tail and takes size bytes, the rest a hole that
// uses no disk.
bool writeSparse(const QString& path, const QByteArray& head, qint64 size,
                 const QByteArray& tail = {}) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size()) return false;
  file.close();
  if (::truncate(QFile::encodeName(path).constData(), size) != 0) return false;
  if (tail.isEmpty()) return true;
  return file.open(QIODevice::ReadWrite) && file.seek(size - tail.size()) &&
         file.write(tail) == tail.size();
}

QByteArray bigEndian(quint64 value, int width) {
  QByteArray out;
  for (int i = width - 1; i >= 0; --i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

// The last 32 bytes of a binary property list: eight-byte offsets, one-byte references.
QByteArray trailer(quint64 objects, quint64 tableOffset) {
  return QByteArray(6, '\0') + bigEndian(8, 1) + bigEndian(1, 1) + bigEndian(objects, 8) +
         bigEndian(0, 8) + bigEndian(tableOffset, 8);
}

// The end of a list of size bytes whose two objects start at these offsets: its offset
// table and trailer.
QByteArray tableAndTrailer(qint64 size, quint64 first, quint64 second) {
  return bigEndian(first, 8) + bigEndian(second, 8) + trailer(2, quint64(size - 32 - 16));
}

// The sanitizers reserve terabytes of address space and abort rather than fail an allocation:
// a capped address space tells nothing under them.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceCanBeCapped = false;
#else
constexpr bool kAddressSpaceCanBeCapped = true;
#endif

// Lets this process's address space grow by room at most.
constexpr rlim_t kCapRoom = rlim_t{256} << 20;
void capAddressSpace(rlim_t room) {
  rlim_t used = 0;
  for (const QByteArray& line : contentsOf(QStringLiteral("/proc/self/status")).split('\n'))
    if (line.startsWith("VmSize:")) used = line.mid(7).trimmed().split(' ').first().toULongLong();
  const rlimit limit{used * 1024 + room, used * 1024 + room};
  setrlimit(RLIMIT_AS, &limit);
}

// Two such pieces fit within the cap, but not twice.
constexpr qsizetype kPieceLargerThanAQuarterOfTheCap = qsizetype(kCapRoom / 16 * 5);

// A current-format container whose categories and e-mail list are pieces of that many bytes.
// Neither is half of the file, so that opening copies both out of the file's bytes.
QByteArray archiveHolding(qsizetype pieceSize) {
  auto container = Dictionary::create();
  container->setValue(QStringLiteral("appversion"), Value::unsignedInteger(40100));
  container->setValue(QStringLiteral("catArrayData"), Value::data(QByteArray(pieceSize, 'c')));
  container->setValue(QStringLiteral("emailArrayData"), Value::data(QByteArray(pieceSize, 'e')));
  return KeyedArchiver::archivedDataWithRootObject(Value(container)).value();
}

class DocumentControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    vault = dir.filePath(QStringLiteral("Bank.qvlt"));
    ASSERT_TRUE(writeSavedVault(vault));
    previousDir = QDir::currentPath();
  }
  void TearDown() override {
    QDir::setCurrent(previousDir);
    GuiDriver::closeAllAlerts();
    controller.closeAllDocuments();
    other.closeAllDocuments();
    GuiDriver::settle();
  }

  // The vault opened, unlocked from its window and given one new record, not saved.
  MyDocument* openUnlockedAndEdited() {
    auto* doc = qobject_cast<MyDocument*>(
        controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr));
    if (!doc) return nullptr;
    VaultDocumentWindow* window = controller.windowOf(doc);
    GuiDriver::settle();
    QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    if (!doc->isDecrypted()) return nullptr;
    doc->recordController().addObject(doc->recordController().newObject());
    doc->updateChangeCount(ChangeCounting::ChangeDone);
    return doc;
  }
  // Revert to Saved, confirmed; the reason of the alert that follows, or nothing when none.
  std::optional<QString> revertAndReadTheFailure(Document* doc) {
    doc->revertDocumentToSaved();
    if (!GuiDriver::pressAlertButton(QStringLiteral("Revert")))
      return QStringLiteral("no confirmation");
    QMessageBox* box = GuiDriver::onlyAlert();
    if (!box) return std::nullopt;
    const QString said = box->text() == QStringLiteral("The document could not be reverted.")
                             ? box->informativeText()
                             : QStringLiteral("another alert: ") + box->text();
    GuiDriver::closeAllAlerts();
    return said;
  }

  // Ends a death test's child, a fresh run of this test with a folder of its own, which the
  // exit would leave behind.
  [[noreturn]] void exitChild(int code) {
    dir.remove();
    std::_Exit(code);
  }

  QTemporaryDir dir;
  QString vault, previousDir;
  QuietController controller, other;
};

TEST_F(DocumentControllerTest, OneDocumentPerFileWhateverThePathSays) {
  ASSERT_TRUE(QFile::link(vault, dir.filePath(QStringLiteral("link.qvlt"))));
  ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
  Document* first = controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr);
  ASSERT_NE(first, nullptr);

  QDir::setCurrent(dir.path());
  const QString names[] = {vault, QStringLiteral("Bank.qvlt"), QStringLiteral("./sub/../Bank.qvlt"),
                           dir.filePath(QStringLiteral("link.qvlt"))};
  for (const QString& name : names) {
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(name, true).value_or(nullptr), first)
        << name.toStdString();
    EXPECT_EQ(controller.documentForURL(name), first) << name.toStdString();
  }
  EXPECT_EQ(controller.documents().size(), 1u);
  EXPECT_EQ(GuiDriver::visible<VaultDocumentWindow>().size(), 1);
}

TEST_F(DocumentControllerTest, OpenedVaultStaysAsItIsUntilUnlockedFromItsWindow) {
  QFile file(vault);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  file.close();
  auto* doc = qobject_cast<MyDocument*>(
      controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr));
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = controller.windowOf(doc);
  ASSERT_NE(window, nullptr);
  GuiDriver::settle();
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_TRUE(window->passwordField()->isVisible());
  EXPECT_FALSE(doc->validateUserInterfaceItem({QStringLiteral("saveDocument:"), 0}));
  doc->autosaveDocument();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), saved);
  file.close();
  // The password typed into the locked layout opens it.
  QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
  QTest::keyClick(window->passwordField(), Qt::Key_Return);
  GuiDriver::settle();
  EXPECT_TRUE(doc->isDecrypted());
  EXPECT_TRUE(doc->validateUserInterfaceItem({QStringLiteral("saveDocument:"), 0}));
}

TEST_F(DocumentControllerTest, AFileThatIsNotAVaultIsReportedAndOpensNothing) {
  const QString bogus = dir.filePath(QStringLiteral("Bogus.qvlt"));
  QFile file(bogus);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a vault");
  file.close();
  controller.openFiles({bogus});
  ASSERT_EQ(controller.errors.size(), 1);
  EXPECT_TRUE(controller.errors.first().contains(QStringLiteral("Bogus.qvlt")));
  EXPECT_TRUE(controller.documents().empty());
}

// What the user reads when a file will not open: a damaged or foreign file is called that
// first, with the reader's own reason after it; other failures keep their own words.
TEST_F(DocumentControllerTest, ADamagedFileIsCalledThatBeforeTheReadersReason) {
  QFile real(vault);
  ASSERT_TRUE(real.open(QIODevice::ReadOnly));
  const QByteArray saved = real.readAll();
  real.close();
  const QString damaged = QString::fromLatin1(MyDocument::kDamagedFile);
  const struct {
    const char* name;
    std::optional<QByteArray> bytes;  // none: no file there
    bool isDamaged;
  } cases[] = {
      {"Text.qvlt", QByteArray("not a vault"), true},
      {"Empty.qvlt", QByteArray(), true},
      {"Cut.qvlt", saved.left(saved.size() / 2), true},
      {"Missing.qvlt", std::nullopt, false},
  };
  ZVRevertDocController shown;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QString::fromLatin1(c.name));
    if (c.bytes) {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(*c.bytes);
    }
    // The alert as the application shows it, read and answered from inside its loop.
    QString text, informative;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      if (QMessageBox* alert = GuiDriver::onlyAlert(); alert && text.isEmpty()) {
        text = alert->text();
        informative = alert->informativeText();
        GuiDriver::snapshot(alert, QStringLiteral("open-failure-") + QString::fromLatin1(c.name));
        alert->button(QMessageBox::Ok) ? alert->button(QMessageBox::Ok)->click()
                                       : alert->buttons().first()->click();
      }
    });
    probe.start(0);
    shown.openFiles({path});
    probe.stop();
    EXPECT_TRUE(shown.documents().empty());
    EXPECT_TRUE(text.contains(QString::fromLatin1(c.name))) << text.toStdString();
    const QStringList paragraphs = informative.split(QStringLiteral("\n\n"));
    EXPECT_EQ(paragraphs.first() == damaged, c.isDamaged) << informative.toStdString();
    if (c.isDamaged) {
      ASSERT_EQ(paragraphs.size(), 2) << informative.toStdString();
      EXPECT_FALSE(paragraphs.last().trimmed().isEmpty());  // the reader's reason
    } else {
      EXPECT_FALSE(informative.contains(damaged)) << informative.toStdString();
    }
  }
}

TEST_F(DocumentControllerTest, ReopeningShowsTheSameInstance) {
  auto* doc = qobject_cast<MyDocument*>(
      controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr));
  ASSERT_NE(doc, nullptr);
  controller.CloseAndReopenTheDoc(doc);
  controller.advancedLockDocument(doc);
  GuiDriver::settle();
  EXPECT_EQ(controller.documents().size(), 1u);
  EXPECT_EQ(controller.documents().front(), doc);
  EXPECT_TRUE(controller.windowOf(doc)->isVisible());
}

TEST_F(DocumentControllerTest, MissingOrUnreadableFilesAreRefusedWithAReason) {
  const DocumentResult<Document*> refused =
      controller.openDocumentWithContentsOfURL(dir.filePath(QStringLiteral("none.qvlt")), true);
  const QString error = refused.error();
  EXPECT_EQ(refused.value_or(nullptr), nullptr);
  EXPECT_FALSE(error.isEmpty());
  controller.openFiles({dir.path()});  // a folder is not a document
  EXPECT_EQ(controller.errors.size(), 1);
  EXPECT_TRUE(controller.documents().empty());
}

// Only a regular file is read: opening a named pipe would wait for a writer, a device may
// never end, and each is named for what it is.
TEST_F(DocumentControllerTest, WhatIsNotARegularFileIsRefusedForWhatItIs) {
  const QString fifo = dir.filePath(QStringLiteral("pipe.qvlt"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString loopA = dir.filePath(QStringLiteral("a.qvlt"));
  const QString loopB = dir.filePath(QStringLiteral("b.qvlt"));
  ASSERT_TRUE(QFile::link(loopB, loopA));
  ASSERT_TRUE(QFile::link(loopA, loopB));
  const QString linkToFifo = dir.filePath(QStringLiteral("link-to-pipe.qvlt"));
  ASSERT_TRUE(QFile::link(fifo, linkToFifo));
  const QString folder = dir.filePath(QStringLiteral("Folder.qvlt"));
  ASSERT_TRUE(QDir().mkdir(folder));
  const struct {
    const char* what;
    QString path;
    const char* says;
  } cases[] = {
      {"a folder", folder, "is a folder"},
      {"a named pipe", fifo, "is not a regular file: it is a named pipe"},
      {"a link to a named pipe", linkToFifo, "is not a regular file: it is a named pipe"},
      {"a device", QStringLiteral("/dev/zero"), "is not a regular file: it is a device"},
      {"links in a loop", loopA, "too many levels of symbolic links"},
      {"nothing", dir.filePath(QStringLiteral("none.qvlt")), "There is no file at"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    controller.errors.clear();
    const PipeWatchdog watchdog(fifo);
    controller.openFiles({c.path});
    EXPECT_FALSE(watchdog.fired()) << "opening blocked";
    ASSERT_EQ(controller.errors.size(), 1);
    EXPECT_TRUE(controller.errors.first().contains(QLatin1String(c.says)))
        << controller.errors.first().toStdString();
    EXPECT_TRUE(controller.documents().empty());
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".lock")),
            QStringList());
}

// A 40 GB file, sparse so that it takes no disk: refused for its size before a byte is read,
// while an unsaved document stays open with its edits.
TEST_F(DocumentControllerTest, AFileLargerThanAnyVaultIsRefusedAndTheOthersKeepTheirEdits) {
  auto* edited =
      qobject_cast<MyDocument*>(controller.openUntitledDocumentAndDisplay().value_or(nullptr));
  ASSERT_NE(edited, nullptr);
  edited->setPlainPassword(QStringLiteral("secret words"));
  GuiDriver::settle();
  edited->recordController().addObject(edited->recordController().newObject());
  edited->updateChangeCount(ChangeCounting::ChangeDone);
  const QString big = dir.filePath(QStringLiteral("Big.qvlt"));
  ASSERT_TRUE(writeSparse(big, contentsOf(vault), qint64(40) << 30));

  controller.openFiles({big});
  ASSERT_EQ(controller.errors.size(), 1);
  EXPECT_TRUE(controller.errors.first().contains(QStringLiteral("larger than any vault can be")))
      << controller.errors.first().toStdString();
  ASSERT_EQ(controller.documents().size(), 1u);
  EXPECT_EQ(controller.documents().front(), edited);
  EXPECT_TRUE(edited->isDocumentEdited());
  EXPECT_EQ(edited->myArray()->count(), 1);
}

// Within the size bound, in a process whose address space cannot take what the file needs: a
// file that does not begin as a vault is refused from its first bytes, and memory that cannot
// be had, for the file's bytes or for what they hold, is a reason like any other instead of the
// end of the program.
TEST_F(DocumentControllerTest, AFileThatDoesNotFitInMemoryIsRefusedWithAReason) {
  if (!kAddressSpaceCanBeCapped) GTEST_SKIP() << "the sanitizers need all of the address space";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const QString file = dir.filePath(QStringLiteral("Large.qvlt"));
  constexpr qint64 kGiB = qint64(1) << 30;
  // A dictionary at offset 8, then a run of bytes up to the offset table, all of it a hole.
  const QByteArray laidOut =
      QByteArray("bplist00\xD0\x4F\x13", 11) + bigEndian(quint64(kGiB - 16 - 32 - 19), 8);
  const struct {
    const char* what;
    QByteArray head;
    qint64 size;
    QByteArray tail;
    const char* says;
  } cases[] = {
      {"is laid out as a vault", laidOut, kGiB, tableAndTrailer(kGiB, 8, 9),
       "There is not enough memory to read"},
      {"begins otherwise", QByteArray(4096, '\0'), kGiB, {}, "is not a vault"},
      {"holds pieces as large as the memory left",
       archiveHolding(kPieceLargerThanAQuarterOfTheCap),
       0,
       {},
       "There is not enough memory to open"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeSparse(file, c.head, c.size ? c.size : c.head.size(), c.tail));
    // In a child process: the cap would stifle this one.
    const auto openWithinCap = [&] {
      capAddressSpace(kCapRoom);
      const DocumentResult<Document*> result =
          controller.openDocumentWithContentsOfURL(file, false);
      const Document* opened = result.value_or(nullptr);
      const QString error = result.error();
      std::fprintf(stderr, "[%s]\n", qPrintable(error));
      exitChild(opened == nullptr && error.contains(QLatin1String(c.says)) ? 0 : 1);
    };
    EXPECT_EXIT(openWithinCap(), ::testing::ExitedWithCode(0), c.says);
  }
}

// The records piece stays in the file's bytes until the unlock: a vault whose records take
// more than half of the memory left still opens.
TEST_F(DocumentControllerTest, AVaultIsReadIntoMemoryOnce) {
  if (!kAddressSpaceCanBeCapped) GTEST_SKIP() << "the sanitizers need all of the address space";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto container = Dictionary::create();
  container->setValue(QStringLiteral("appversion"), Value::unsignedInteger(40100));
  container->setValue(QStringLiteral("dataArrayData"),
                      Value::data(QByteArray(qsizetype(kCapRoom / 8 * 5), 'r')));
  const QString file = dir.filePath(QStringLiteral("Large.qvlt"));
  const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(Value(container)).value();
  ASSERT_TRUE(writeSparse(file, bytes, bytes.size()));
  const auto openWithinCap = [&] {
    capAddressSpace(kCapRoom);
    const DocumentResult<Document*> result = controller.openDocumentWithContentsOfURL(file, false);
    std::fprintf(stderr, "[%s]\n", result ? "opened" : qPrintable(result.error()));
    exitChild(result ? 0 : 1);
  };
  EXPECT_EXIT(openWithinCap(), ::testing::ExitedWithCode(0), "opened");
}

// Files of the largest size a vault may have whose archive cannot fit them, sparse so that they
// take no disk: each is refused as damaged from its trailer and offset table, in a process that
// cannot take 48 MB more than it holds, let alone the 4 GiB of the file.
TEST_F(DocumentControllerTest, AFileWhoseLayoutCannotHoldIsRefusedBeforeItIsRead) {
  if (!kAddressSpaceCanBeCapped) GTEST_SKIP() << "the sanitizers need all of the address space";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const QString file = dir.filePath(QStringLiteral("Huge.qvlt"));
  constexpr qint64 kSize = VaultFileBytes::kMaximumSize;
  const QByteArray head("bplist00");
  const struct {
    const char* what;
    QByteArray tail;
    const char* says;
  } cases[] = {
      {"a trailer of zeros", {}, "offset size 0, reference size 0 out of 1..8"},
      {"a trailer that does not fit", trailer(2, 9), "do not fill an offset table"},
      {"a trailer that fits over an offset table of zeros", trailer(2, quint64(kSize - 32 - 16)),
       "offset 0 of object 0 lies outside the object area"},
      {"an offset table into the hole", tableAndTrailer(kSize, 8, 9), "is not a dictionary"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeSparse(file, head, kSize, c.tail));
    const auto openWithinCap = [&] {
      capAddressSpace(rlim_t{48} << 20);
      const DocumentResult<Document*> result =
          controller.openDocumentWithContentsOfURL(file, false);
      const QString error = result.error();
      std::fprintf(stderr, "[%s]\n", qPrintable(error));
      const bool refused = !result.value_or(nullptr) &&
                           error.startsWith(QLatin1String(MyDocument::kDamagedFile)) &&
                           error.contains(QLatin1String(c.says));
      exitChild(refused ? 0 : 1);
    };
    EXPECT_EXIT(openWithinCap(), ::testing::ExitedWithCode(0), c.says);
  }
}

// The vault's path replaced since it was opened: Revert to Saved refuses what is there now,
// without blocking on a named pipe, and the unlocked document keeps its edits.
TEST_F(DocumentControllerTest, RevertRefusesWhatIsNoLongerAVaultFile) {
  MyDocument* doc = openUnlockedAndEdited();
  ASSERT_NE(doc, nullptr);
  const QByteArray saved = contentsOf(vault);
  const QByteArray path = QFile::encodeName(vault);
  const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.qvlt"));

  const struct {
    const char* what;
    std::function<bool()> replace;
    const char* says;
  } cases[] = {
      {"a named pipe", [&] { return ::mkfifo(path.constData(), 0600) == 0; },
       "is not a regular file: it is a named pipe"},
      {"a folder", [&] { return QDir().mkdir(vault); }, "is a folder"},
      {"a link to itself", [&] { return QFile::link(vault, vault); },
       "too many levels of symbolic links"},
      {"a 40 GB file",
       [&] {
         return writeSparse(elsewhere, saved, qint64(40) << 30) && QFile::rename(elsewhere, vault);
       },
       "larger than any vault can be"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(QFile::remove(vault) || QDir().rmdir(vault));
    ASSERT_TRUE(c.replace());
    const PipeWatchdog watchdog(vault);
    const std::optional<QString> failure = revertAndReadTheFailure(doc);
    EXPECT_FALSE(watchdog.fired()) << "reverting blocked";
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->contains(QLatin1String(c.says))) << failure->toStdString();
    EXPECT_TRUE(doc->isDecrypted());
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(doc->myArray()->count(), 1);
  }
}

// Reverting to a file whose contents the memory left cannot hold fails the revert with a
// reason, and the document keeps its edits.
TEST_F(DocumentControllerTest, RevertRunningShortOfMemoryKeepsTheDocument) {
  if (!kAddressSpaceCanBeCapped) GTEST_SKIP() << "the sanitizers need all of the address space";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const QByteArray large = archiveHolding(kPieceLargerThanAQuarterOfTheCap);
  const auto revertWithinCap = [&] {
    MyDocument* doc = openUnlockedAndEdited();
    if (!doc || !writeSparse(vault, large, large.size())) exitChild(2);
    capAddressSpace(kCapRoom);
    const std::optional<QString> failure = revertAndReadTheFailure(doc);
    std::fprintf(stderr, "[%s]\n", failure ? qPrintable(*failure) : "reverted");
    exitChild(failure && doc->isDecrypted() && doc->isDocumentEdited() ? 0 : 1);
  };
  EXPECT_EXIT(revertWithinCap(), ::testing::ExitedWithCode(0),
              "There is not enough memory to revert to");
}

TEST_F(DocumentControllerTest, SecondControllerIsToldTheVaultIsOpenUntilItCloses) {
  Document* doc = controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr);
  ASSERT_NE(doc, nullptr);
  const DocumentResult<Document*> refused = other.openDocumentWithContentsOfURL(vault, true);
  const QString error = refused.error();
  EXPECT_EQ(refused.value_or(nullptr), nullptr);
  EXPECT_TRUE(error.contains(QStringLiteral("Another copy"))) << error.toStdString();
  EXPECT_TRUE(isOwnersAlone(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));

  doc->close();
  GuiDriver::settle();
  EXPECT_TRUE(controller.documents().empty());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));
  EXPECT_NE(other.openDocumentWithContentsOfURL(vault, true).value_or(nullptr), nullptr);
}

TEST_F(DocumentControllerTest, LockOfAnotherLiveProcessRefusesAndNamesIt) {
  QProcess holder;
  holder.start(QStringLiteral(QV_LOCK_HOLDER), {vault, QStringLiteral("hold")});
  ASSERT_TRUE(holder.waitForReadyRead(30000));
  ASSERT_EQ(holder.readLine().trimmed(), "locked");

  const DocumentResult<Document*> refused = controller.openDocumentWithContentsOfURL(vault, true);
  const QString error = refused.error();
  EXPECT_EQ(refused.value_or(nullptr), nullptr);
  EXPECT_TRUE(error.contains(QString::number(holder.processId()))) << error.toStdString();

  holder.closeWriteChannel();
  ASSERT_TRUE(holder.waitForFinished(30000));
  EXPECT_NE(controller.openDocumentWithContentsOfURL(vault, true).value_or(nullptr), nullptr);
}

TEST_F(DocumentControllerTest, LockLeftByAProcessThatDiedIsTakenOver) {
  QProcess holder;
  holder.start(QStringLiteral(QV_LOCK_HOLDER), {vault, QStringLiteral("abandon")});
  ASSERT_TRUE(holder.waitForFinished(30000));
  ASSERT_EQ(holder.readLine().trimmed(), "locked");
  ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));

  const DocumentResult<Document*> opened = controller.openDocumentWithContentsOfURL(vault, true);
  EXPECT_NE(opened.value_or(nullptr), nullptr) << opened.error().toStdString();
  EXPECT_TRUE(isOwnersAlone(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));
}

TEST_F(DocumentControllerTest, FirstSaveOfANewDocumentLocksItsFile) {
  auto* doc =
      qobject_cast<MyDocument*>(controller.openUntitledDocumentAndDisplay().value_or(nullptr));
  ASSERT_NE(doc, nullptr);
  doc->setPlainPassword(QStringLiteral("secret words"));  // before the password sheet would ask
  GuiDriver::settle();
  const QString target = dir.filePath(QStringLiteral("New.qvlt"));
  ASSERT_TRUE(doc->saveDocumentAs(target));
  EXPECT_EQ(other.openDocumentWithContentsOfURL(target, true).value_or(nullptr), nullptr);
  EXPECT_EQ(controller.documentForURL(target), doc);
  EXPECT_TRUE(isOwnersAlone(dir.filePath(QStringLiteral(".New.qvlt.lock"))));
}

}  // namespace
