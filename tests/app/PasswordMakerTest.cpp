#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

#include "app/ApplicationLaunch.h"
#include "app/MyAppDelegate.h"
#include "app/PasswordMakerController.h"
#include "app/PasswordMakerWindow.h"
#include "app/ZVRevertDocController.h"
#include "generator/PasswordQualityView.h"
#include "platform/Pasteboard.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "vault/MyDocument.h"

namespace {

TEST(PasswordMakerLengthTest, TheTypedLengthIsItsLeadingNumberWithinFiveToFortyTwo) {
  const struct {
    const char* entered;
    int length;
  } cases[] = {
      {"12", 12},
      {"3", 5},
      {"5", 5},
      {"42", 42},
      {"43", 42},
      {"100", 42},
      {"", 5},
      {"abc", 5},
      {"-7", 5},
      {"+8", 8},
      {"  9", 9},
      {"17 chars", 17},
      {"4294967302", 42},  // beyond an int: the largest int, not the wrapped 6
      {"-4294967302", 5},
      {"99999999999999999999999", 42},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PasswordMakerController::clampedLength(QString::fromLatin1(c.entered)), c.length)
        << '"' << c.entered << '"';
}

class PasswordMakerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    launch = std::make_unique<ApplicationLaunch>(*defaults);
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    launch.reset();
    GuiDriver::settle();
  }
  PasswordMakerController& maker() const { return launch->delegate().passwordMaker(); }
  PasswordMakerWindow* show() {
    launch->delegate().showPasswordMaker();
    GuiDriver::settle();
    return maker().passwordMakerWindow();
  }
  // A copy of its own: a new password wipes the old one in place.
  QString password() const { return SecureMemory::privateCopy(maker().password4PasswordMaker()); }
  void typeLength(PasswordMakerWindow* window, const QString& text) {
    window->lengthField()->selectAll();
    QTest::keyClick(window->lengthField(), Qt::Key_Backspace);
    QTest::keyClicks(window->lengthField(), text);
  }
  void chooseType(PasswordMakerWindow* window, int tag) {
    QComboBox* choice = window->typeChoice();
    const int index = choice->findData(tag);
    ASSERT_GE(index, 0) << tag;
    choice->setFocus();
    while (choice->currentIndex() != index)
      QTest::keyClick(choice, choice->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
};

TEST_F(PasswordMakerTest, FirstShowingMakesAPasswordAndLaterShowingsKeepIt) {
  EXPECT_EQ(maker().passwordMakerWindow(), nullptr);
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QPoint offset = window->frameGeometry().center() - screen->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 6);  // rounding, and frame margins known only once shown
  }
  const QString first = password();
  EXPECT_EQ(first.size(), 12);
  EXPECT_EQ(window->secureTextField4PasswordMaker()->text(), first);
  EXPECT_EQ(window->unsecureTextField4PasswordMaker()->text(), first);
  EXPECT_TRUE(window->secureTextField4PasswordMaker()->isVisible());
  EXPECT_FALSE(window->unsecureTextField4PasswordMaker()->isVisible());
  EXPECT_EQ(window->typeChoice()->currentData().toInt(), 40);
  EXPECT_EQ(window->lengthField()->text(), QStringLiteral("12"));
  EXPECT_EQ(window->pwQualityView()->qualityValue(), 4);  // estimate 5 for type 40, length 12

  window->move(window->pos() + QPoint(30, 20));
  GuiDriver::settle();
  const QPoint moved = window->pos();
  show();  // already visible: only brought to the front
  EXPECT_EQ(password(), first);
  EXPECT_EQ(window->pos(), moved);
  window->close();
  GuiDriver::settle();
  show();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(password(), first);
  EXPECT_EQ(window->pwQualityView()->qualityValue(), 4);
}

TEST_F(PasswordMakerTest, TheChosenTypeAndTypedLengthMakeThePasswordAndItsStars) {
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  const struct {
    int tag;
    const char* typed;
    int length;
    const char* alphabet;
    int stars;  // shown: one fewer than the estimate for the clamped length
  } cases[] = {
      {30, "3", 5, "0123456789", 1},
      {30, "4294967302", 42, "0123456789", 8},
      {40, "50", 42, nullptr, 10},
      {52, "16", 16, "0123456789ABCDEF", 4},
      {11, "", 5, "abcdefghijklmnopqrstuvwxyz", 1},
      {61, "20", 20, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 4},
  };
  for (const auto& c : cases) {
    chooseType(window, c.tag);
    typeLength(window, QString::fromLatin1(c.typed));
    QTest::mouseClick(window->generateButton(), Qt::LeftButton);
    const QString made = password();
    EXPECT_EQ(made.size(), c.length) << c.tag << " " << c.typed;
    if (c.alphabet) {
      for (QChar ch : made) EXPECT_TRUE(QString::fromLatin1(c.alphabet).contains(ch)) << c.tag;
    }
    EXPECT_EQ(window->secureTextField4PasswordMaker()->text(), made);
    EXPECT_EQ(window->pwQualityView()->qualityValue(), c.stars) << c.tag << " " << c.typed;
    // The field shows the length used, not what was typed.
    EXPECT_EQ(window->lengthField()->text(), QString::number(c.length)) << c.typed;
    EXPECT_EQ(maker().pwLength4PasswordMaker(), QString::number(c.length)) << c.typed;
    EXPECT_EQ(maker().pwTypeTag4PasswordMaker(), c.tag);
  }
  // Enter in the length field makes a new one as well.
  const QString before = password();
  typeLength(window, QStringLiteral("30"));
  QTest::keyClick(window->lengthField(), Qt::Key_Return);
  EXPECT_EQ(password().size(), 30);
  EXPECT_NE(password(), before);
}

TEST_F(PasswordMakerTest, TheSwitchShowsThePasswordInClear) {
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  QTest::mouseClick(window->visibilitySwitch(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(maker().pwIsVisible4PasswordMaker());
  EXPECT_TRUE(window->unsecureTextField4PasswordMaker()->isVisible());
  EXPECT_FALSE(window->secureTextField4PasswordMaker()->isVisible());
  QTest::mouseClick(window->generateButton(), Qt::LeftButton);
  EXPECT_EQ(window->unsecureTextField4PasswordMaker()->text(), password());
  QTest::mouseClick(window->visibilitySwitch(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_FALSE(maker().pwIsVisible4PasswordMaker());
  EXPECT_TRUE(window->secureTextField4PasswordMaker()->isVisible());
}

TEST_F(PasswordMakerTest, APasswordCopiedInClearIsMarkedSecretHoweverItIsCopied) {
  // The window carries no menu bar: the keys and the field's own menu are the ways to copy.
  enum class Way { CopyKeys, ContextMenu };
  const struct {
    const char* name;
    Way way;
    bool shown;
  } cases[] = {
      {"Ctrl+C", Way::CopyKeys, true},
      {"context menu", Way::ContextMenu, true},
      {"Ctrl+C while masked", Way::CopyKeys, false},
  };
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (window->visibilitySwitch()->isChecked() != c.shown)
      QTest::mouseClick(window->visibilitySwitch(), Qt::LeftButton);
    GuiDriver::settle();
    QLineEdit* field = c.shown ? window->unsecureTextField4PasswordMaker()
                               : window->secureTextField4PasswordMaker();
    ASSERT_TRUE(field->isVisible());
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(field->hasSelectedText());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    switch (c.way) {
      case Way::CopyKeys:
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        break;
      case Way::ContextMenu: {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(4, 4),
                                field->mapToGlobal(QPoint(4, 4)));
        QCoreApplication::sendEvent(field, &event);
        GuiDriver::settle();
        const QList<QMenu*> menus = GuiDriver::visible<QMenu>();
        ASSERT_EQ(menus.size(), 1);
        QAction* copy = nullptr;
        for (QAction* a : menus.first()->actions())
          if (a->text().startsWith(u"&Copy")) copy = a;
        ASSERT_NE(copy, nullptr);
        copy->trigger();
        menus.first()->close();
        break;
      }
    }
    GuiDriver::settle();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    if (c.shown) {
      EXPECT_EQ(data->text(), password());
      EXPECT_EQ(data->data(QString::fromLatin1(Pasteboard::kPasswordManagerHint)), "secret");
    } else {
      // A masked password is not copied at all.
      EXPECT_EQ(data->text(), u"before");
    }
  }
}

TEST_F(PasswordMakerTest, LookAlikeSettingsAreEditedInTheWindow) {
  const QString enable = QStringLiteral("enableDisambiguator");
  const QString chars = QStringLiteral("noCharStringDisambiguator");
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  // Showing the settings stores nothing.
  EXPECT_FALSE(defaults->store().contains(enable));
  EXPECT_FALSE(window->exclusionSwitch()->isChecked());
  EXPECT_EQ(window->exclusionField()->text(), QStringLiteral("0O1lI"));
  EXPECT_FALSE(window->exclusionField()->isEnabled());

  QTest::mouseClick(window->exclusionSwitch(), Qt::LeftButton);
  EXPECT_TRUE(defaults->boolForKey(enable));
  ASSERT_TRUE(window->exclusionField()->isEnabled());
  window->exclusionField()->selectAll();
  QTest::keyClicks(window->exclusionField(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
  EXPECT_EQ(defaults->stringForKey(chars), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
  chooseType(window, 11);
  typeLength(window, QStringLiteral("9"));
  QTest::mouseClick(window->generateButton(), Qt::LeftButton);
  EXPECT_EQ(password(), QStringLiteral("zzzzzzzzz"));
  EXPECT_EQ(window->pwQualityView()->qualityValue(), 1);

  // Nothing left to draw from: no password, and no stars for it.
  QTest::keyClicks(window->exclusionField(), QStringLiteral("z"));
  QTest::mouseClick(window->generateButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(password().isEmpty());
  EXPECT_TRUE(window->secureTextField4PasswordMaker()->text().isEmpty());
  EXPECT_EQ(window->pwQualityView()->qualityValue(), 0);
  EXPECT_TRUE(window->pwQualityView()->scoreText().isEmpty());
  GuiDriver::snapshot(window, QStringLiteral("password-generator-nothing-to-draw"));

  QTest::mouseClick(window->resetButton(), Qt::LeftButton);
  EXPECT_EQ(defaults->store().value(chars).toString(), QStringLiteral("0O1lI"));
  EXPECT_EQ(window->exclusionField()->text(), QStringLiteral("0O1lI"));
  QTest::mouseClick(window->generateButton(), Qt::LeftButton);
  EXPECT_FALSE(password().contains(QLatin1Char('l')));
}

// One picture per star colour, for a person to look at.
TEST_F(PasswordMakerTest, WindowPictures) {
  PasswordMakerWindow* window = show();
  ASSERT_NE(window, nullptr);
  const struct {
    int tag;
    const char* length;
    bool clear;
    const char* name;
    PasswordQualityView::StarColour colour;
  } shots[] = {
      {30, "5", false, "password-generator-red", PasswordQualityView::StarColour::Red},
      {40, "12", false, "password-generator-yellow", PasswordQualityView::StarColour::Yellow},
      {40, "42", true, "password-generator-green", PasswordQualityView::StarColour::Green},
  };
  for (const auto& shot : shots) {
    chooseType(window, shot.tag);
    typeLength(window, QString::fromLatin1(shot.length));
    window->visibilitySwitch()->setChecked(shot.clear);
    QTest::mouseClick(window->generateButton(), Qt::LeftButton);
    GuiDriver::settle();
    EXPECT_EQ(PasswordQualityView::starColourFor(window->pwQualityView()->qualityValue()),
              shot.colour);
    GuiDriver::snapshot(window, QString::fromLatin1(shot.name));
  }
}

QAction* generatorCommand(QWidget* window) {
  auto* main = qobject_cast<QMainWindow*>(window);
  if (!main) return nullptr;
  for (QAction* menuItem : main->menuBar()->actions())
    if (QMenu* menu = menuItem->menu())
      for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Password &Generator…")) {
          Q_EMIT menu->aboutToShow();
          return a;
        }
  return nullptr;
}

TEST_F(PasswordMakerTest, TheCommandIsOnWhileALockedVaultIsTheActiveWindow) {
  const QString vault = dir.filePath(QStringLiteral("Home.qvlt"));
  ASSERT_TRUE(writeSavedVault(vault));
  launch->run({vault});
  GuiDriver::settle();
  ASSERT_EQ(launch->controller().documents().size(), 1u);
  auto* doc = qobject_cast<MyDocument*>(launch->controller().documents().front());
  ASSERT_NE(doc, nullptr);
  QWidget* docWindow = doc->myWindow()->window();
  docWindow->activateWindow();
  GuiDriver::settle();
  ASSERT_EQ(QApplication::activeWindow(), docWindow);
  ASSERT_TRUE(doc->isEncrypted());
  QAction* command = generatorCommand(docWindow);
  ASSERT_NE(command, nullptr);
  EXPECT_TRUE(command->isEnabled());

  // The generator reads and writes no vault: the locked one stays locked and unchanged.
  command->trigger();
  GuiDriver::settle();
  PasswordMakerWindow* window = maker().passwordMakerWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(QApplication::activeWindow(), window);
  EXPECT_EQ(password().size(), 12);
  EXPECT_TRUE(doc->isEncrypted());
  EXPECT_FALSE(doc->isDocumentEdited());

  window->close();
  docWindow->activateWindow();
  GuiDriver::settle();
  doc->submitPasswordToDecrypt(QStringLiteral("secret12"));
  GuiDriver::settle();
  ASSERT_TRUE(doc->isDecrypted());
  command = generatorCommand(docWindow);
  EXPECT_TRUE(command->isEnabled());
  command->trigger();
  GuiDriver::settle();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(QApplication::activeWindow(), window);
}

}  // namespace
