#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string_view>

#include "Common/ZVTextFieldExt.h"
#include "platform/SecureMemory.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/ProcessMemoryScan.h"
#include "tests/window/VaultFixture.h"
#include "window/RecordDetailView.h"
#include "window/VaultDocumentWindow.h"

namespace {

constexpr auto kPassword = MaskedText::mask("Qx7#Lockwipe!pw9");
constexpr auto kRecordName = MaskedText::mask("Zephyr-Ledger-4417");

std::string describe(const std::vector<ProcessMemoryScan::Hit>& hits) {
  std::string out;
  for (const auto& h : hits)
    out += QStringLiteral("0x%1 %2\n").arg(h.address, 0, 16).arg(h.region).toStdString();
  return out;
}

// Types the text into the focused widget, one key event a character.
void type(QWidget* widget, const MaskedText& text) {
  for (std::size_t i = 0; i < text.size(); ++i) QTest::keyClick(widget, char(text.at(i).unicode()));
}

bool equals(const QString& s, const MaskedText& text) {
  if (std::size_t(s.size()) != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (s[qsizetype(i)] != text.at(i)) return false;
  return true;
}

// A vault on disk whose password the user types into the locked window, and a record the user
// renames in the detail view. Neither text is in the process's memory before it is typed, and
// neither is after the document is locked.
class LockMemoryTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    path = dir.filePath(QStringLiteral("v.qvlt"));
    {
      QString secret;
      for (std::size_t i = 0; i < password.size(); ++i) secret.append(password.at(i));
      MyDocument source;
      source.setPlainPassword(secret);
      SecureMemory::wipe(secret);
      fixture::fillTwenty(source);
      ASSERT_TRUE(source.saveToURL(path, nullptr));
    }
    doc = std::make_unique<MyDocument>();
    ASSERT_TRUE(doc->readFromURL(path, nullptr));
    doc->setFileURL(path);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    gui::settle();
  }
  void TearDown() override {
    gui::closeAllAlerts();
    delete window.data();
    doc.reset();
  }

  void unlockByTyping() {
    window->passwordField()->setFocus();
    type(window->passwordField(), password);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    gui::settle();
    MainQueue::drain();
    gui::settle();
  }
  void renameSelectedRecordByTyping() {
    doc->recordController().setSelectionIndex(2);
    gui::settle();
    ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
    gui::settle();
    QLineEdit* name = window->detailView()->field(RecordKeys::name());
    name->setFocus();
    name->selectAll();
    type(name, recordName);
    QTest::keyClick(name, Qt::Key_Tab);
    gui::settle();
    MainQueue::drain();
    // The table and the detail view have drawn the new name.
    window->repaint();
    gui::snapshot(window, QStringLiteral("record-renamed-before-the-lock"));
    gui::settle();
  }

  const MaskedText password{kPassword};
  const MaskedText recordName{kRecordName};
  QTemporaryDir dir;
  QString path;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
};

TEST_P(LockMemoryTest, NeitherThePasswordNorTheRecordTextIsInMemoryAfterTheLock) {
  ASSERT_TRUE(doc->isEncrypted());
  ASSERT_TRUE(ProcessMemoryScan::find(password).empty())
      << "left by the set-up:\n"
      << describe(ProcessMemoryScan::find(password));

  unlockByTyping();
  ASSERT_FALSE(doc->isEncrypted());
  renameSelectedRecordByTyping();
  const auto selected = doc->recordController().selectedObjects();
  ASSERT_EQ(selected.size(), 1u);
  ASSERT_TRUE(equals(selected.front()->value(RecordKeys::name()).toString(), recordName));
  // Both texts are where the scan looks while the document is open.
  ASSERT_FALSE(ProcessMemoryScan::find(password).empty());
  ASSERT_FALSE(ProcessMemoryScan::find(recordName).empty());

  if (std::string_view(GetParam()) == "menu") {
    ASSERT_TRUE(window->perform(QStringLiteral("lockDocument:")));
    gui::settle();
    ASSERT_TRUE(gui::pressAlertButton(QStringLiteral("OK")));
  } else {
    doc->lockAutomatically();
  }
  MainQueue::drain();
  gui::settle();
  ASSERT_TRUE(doc->isEncrypted());
  ASSERT_TRUE(window->showsLockedLayout());

  EXPECT_EQ(describe(ProcessMemoryScan::find(password)), "") << "the password";
  EXPECT_EQ(describe(ProcessMemoryScan::find(recordName)), "") << "the record's name";
}

INSTANTIATE_TEST_SUITE_P(LockedBy, LockMemoryTest, ::testing::Values("menu", "automatic"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
