#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "Common/ZVTextFieldExt.h"
#include "app/ApplicationMenus.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "window/CopyNotice.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

// Document windows as the application builds them (its menus and the window's own), driven
// by keys and menu clicks.
class WindowKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = VaultFixture::settingsIn(
        dir, {{QStringLiteral("tableSortCompare"), Value::integer(2)},
              {QStringLiteral("notifyHudTimer"), Value::integer(10)},
              {QStringLiteral("useHudNotifyForCopy"), Value::boolean(true)}});
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    for (auto& w : windows) delete w.data();
    docs.clear();
  }

  VaultDocumentWindow* build(MyDocument* doc) {
    auto* window = new VaultDocumentWindow(doc, *defaults);
    ApplicationMenus::install(window, nullptr, nullptr, doc);
    window->addMenusTo(window->menuBar());
    window->resize(1100, 640);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
    windows << window;
    return window;
  }
  // An unlocked document of twenty records, the fourth selected.
  VaultDocumentWindow* twentyRecords() {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    doc->setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(*doc);
    VaultDocumentWindow* window = build(doc);
    doc->recordController().setSelectionIndex(3);
    GuiDriver::settle();
    doc->updateChangeCount(ChangeCounting::ChangeCleared);
    return window;
  }
  // A vault saved with no desktop window state (as the mobile edition writes them), opened
  // and unlocked through its password field.
  VaultDocumentWindow* unlockedWithoutWindowState() {
    const QString path = dir.filePath(QStringLiteral("mobile.qvlt"));
    {
      MyDocument source;
      source.setPlainPassword(VaultFixture::kPassword);
      VaultFixture::fillTwenty(source);
      EXPECT_TRUE(source.saveToURL(path));
    }
    return openAndUnlock(path);
  }
  VaultDocumentWindow* openAndUnlock(const QString& path) {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    const DocumentResult<void> read = doc->readFromURL(path);
    EXPECT_TRUE(read) << read.error().toStdString();
    doc->setFileURL(path);
    VaultDocumentWindow* window = build(doc);
    window->passwordField()->setFocus();
    QTest::keyClicks(window->passwordField(), VaultFixture::kPassword);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    MainQueue::drain();
    GuiDriver::settle();
    EXPECT_TRUE(doc->isDecrypted());
    return window;
  }

  static QMenu* menu(VaultDocumentWindow* window, const char* title) {
    return GuiDriver::menuOf(window->menuBar(), QString::fromLatin1(title));
  }
  static QAction* item(QMenu* menu, const char* selector) {
    return GuiDriver::menuItem(menu, QString::fromLatin1(selector));
  }
  static void openAndCloseMenu(VaultDocumentWindow* window, const char* title) {
    EXPECT_TRUE(GuiDriver::clickMenu(window->menuBar(), QString::fromLatin1(title))) << title;
  }
  static void chooseMenuItem(VaultDocumentWindow* window, const char* title, const char* selector) {
    ASSERT_NE(item(menu(window, title), selector), nullptr) << selector;
    EXPECT_TRUE(GuiDriver::clickMenu(window->menuBar(), QString::fromLatin1(title),
                                     QString::fromLatin1(selector)))
        << title;
  }
  // The key goes where the keyboard focus is, as typing would.
  static void press(VaultDocumentWindow* window, const QKeySequence& keys) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keySequence(target, keys);
    MainQueue::drain();
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::vector<std::unique_ptr<MyDocument>> docs;
  QList<QPointer<VaultDocumentWindow>> windows;
};

TEST_F(WindowKeysTest, ShortcutsAnswerTheStateOfTheMomentTheyArePressed) {
  // Each row opens the Edit menu while its command is disabled, changes the state without
  // opening it again, and presses the keys.
  const struct {
    const char* what;
    bool undoByKeyFirst;  // Ctrl+Z once before the keys under test
    const char* typed;    // typed into the new record's name field first
    QKeySequence::StandardKey keys;
    int recordsAdded;       // compared with the twenty records of the start
    const char* nameField;  // the name field's text at the end
  } rows[] = {
      {"undo right after adding", false, "", QKeySequence::Undo, 0, ""},
      {"redo right after undoing by key", true, "", QKeySequence::Redo, 1, ""},
      {"undo of typing stays with the field", false, "Bank", QKeySequence::Undo, 1, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    VaultDocumentWindow* window = twentyRecords();
    MyDocument* doc = window->document();
    openAndCloseMenu(window, "&Edit");
    ASSERT_FALSE(item(menu(window, "&Edit"), "undo:")->isEnabled());
    ASSERT_TRUE(window->perform(QStringLiteral("addRow:")));
    MainQueue::drain();
    GuiDriver::settle();
    QLineEdit* name = window->detailView()->field(RecordKeys::name());
    ASSERT_EQ(QApplication::focusWidget(), name);
    if (r.undoByKeyFirst) {
      press(window, QKeySequence::Undo);
      ASSERT_EQ(window->tableModel()->rowCount(), 20);
    }
    if (*r.typed) QTest::keyClicks(name, QString::fromLatin1(r.typed));
    press(window, r.keys);
    EXPECT_EQ(window->tableModel()->rowCount(), 20 + r.recordsAdded);
    EXPECT_EQ(doc->myArray()->count(), 20 + r.recordsAdded);
    if (r.recordsAdded) {
      EXPECT_EQ(name->text(), QLatin1String(r.nameField));
    }
    delete window;
  }
}

TEST_F(WindowKeysTest, AHiddenToolbarComesBackFromTheViewMenuOrFind) {
  const struct {
    const char* what;
    bool byFind;
  } rows[] = {{"View > Show Toolbar", false}, {"Find", true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    VaultDocumentWindow* window = unlockedWithoutWindowState();
    MyDocument* doc = window->document();
    ASSERT_TRUE(window->toolbar()->isHidden());
    QAction* toggle = item(menu(window, "&View"), "toggleToolbarShown:");
    ASSERT_NE(toggle, nullptr);
    openAndCloseMenu(window, "&View");
    EXPECT_EQ(toggle->text(), QStringLiteral("Show Tool&bar"));
    EXPECT_TRUE(toggle->isEnabled());

    if (r.byFind) {
      window->tableView()->setFocus();
      press(window, QKeySequence::Find);
      EXPECT_EQ(QApplication::focusWidget(), window->toolbarSearchField());
    } else {
      chooseMenuItem(window, "&View", "toggleToolbarShown:");
    }
    EXPECT_FALSE(window->toolbar()->isHidden());
    EXPECT_TRUE(window->toolbarSearchField()->isVisible());
    EXPECT_TRUE(window->categoryMenu()->isVisible());
    EXPECT_EQ(toggle->text(), QStringLiteral("Hide Tool&bar"));
    // The toolbar's state is saved with the document, so showing it is an edit.
    EXPECT_TRUE(doc->isDocumentEdited());
    if (!r.byFind) {
      GuiDriver::snapshot(window, QStringLiteral("toolbar-shown-again"));
    }

    const QString saved = dir.filePath(QStringLiteral("shown.qvlt"));
    ASSERT_TRUE(doc->saveToURL(saved));
    VaultDocumentWindow* again = openAndUnlock(saved);
    EXPECT_FALSE(again->toolbar()->isHidden());
    chooseMenuItem(again, "&View", "toggleToolbarShown:");
    EXPECT_TRUE(again->toolbar()->isHidden());
    delete again;
    delete window;
  }
}

// A widget's Alt+letter, or none.
QKeySequence mnemonicOf(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w))
    return label->buddy() ? QKeySequence::mnemonic(label->text()) : QKeySequence();
  if (auto* button = qobject_cast<const QAbstractButton*>(w))
    return QKeySequence::mnemonic(button->text());
  if (auto* box = qobject_cast<const QGroupBox*>(w)) return QKeySequence::mnemonic(box->title());
  return {};
}

// Every Alt+letter that the window answers: its menu bar's titles, its labels and buttons,
// and shortcuts set on its commands.
std::multimap<QString, QString> altLetters(QMainWindow* window) {
  std::multimap<QString, QString> out;
  for (QAction* top : window->menuBar()->actions())
    if (const QKeySequence k = QKeySequence::mnemonic(top->text()); !k.isEmpty())
      out.emplace(k.toString(), QStringLiteral("menu ") + top->text());
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() != window || !w->isVisibleTo(window)) continue;
    if (const QKeySequence k = mnemonicOf(w); !k.isEmpty())
      out.emplace(k.toString(),
                  QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') +
                      w->objectName() + QLatin1Char(' ') +
                      (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : QString()));
  }
  for (QAction* a : window->findChildren<QAction*>())
    for (const QKeySequence& k : a->shortcuts())
      if (k.count() == 1 && k[0].keyboardModifiers() == Qt::AltModifier)
        out.emplace(k.toString(), QStringLiteral("shortcut of ") + a->text());
  return out;
}

TEST_F(WindowKeysTest, EveryAltLetterOfTheWindowDoesOneThing) {
  VaultDocumentWindow* window = twentyRecords();
  window->perform(QStringLiteral("editContentToggle:"));
  GuiDriver::settle();
  ASSERT_NE(window->detailView()->record(), nullptr);
  std::map<QString, int> perLetter;
  const std::multimap<QString, QString> letters = altLetters(window);
  ASSERT_GE(letters.size(), 7u) << "the menu bar's titles at least";
  for (const auto& [keys, owner] : letters) ++perLetter[keys];
  for (const auto& [keys, count] : perLetter) {
    if (count == 1) continue;
    QStringList owners;
    const auto [from, to] = letters.equal_range(keys);
    for (auto it = from; it != to; ++it) owners << it->second;
    ADD_FAILURE() << keys.toStdString() << " does " << count
                  << " things: " << owners.join(QStringLiteral("; ")).toStdString();
  }
  // Inside an open menu its letters choose its items: one item per letter.
  for (QMenu* m : window->findChildren<QMenu*>()) {
    std::map<QString, QStringList> items;
    for (QAction* a : m->actions())
      if (const QKeySequence k = QKeySequence::mnemonic(a->text()); !k.isEmpty())
        items[k.toString()] << a->text();
    for (const auto& [keys, titles] : items)
      EXPECT_EQ(titles.size(), 1) << m->title().toStdString() << ": " << keys.toStdString()
                                  << " for " << titles.join(QStringLiteral("; ")).toStdString();
  }
}

TEST_F(WindowKeysTest, WithNoRecordShownTheCopyButtonsAreOffAndLeaveTheClipboard) {
  VaultDocumentWindow* window = twentyRecords();
  window->document()->recordController().setSelectionIndexes({});
  GuiDriver::settle();
  ASSERT_EQ(window->detailView()->record(), nullptr);
  const char* keys[] = {"name", "url", "account", "userID", "password", "pin", "security", "email"};
  for (const char* key : keys) {
    SCOPED_TRACE(key);
    QToolButton* copy = window->detailView()->copyButton(QString::fromLatin1(key));
    ASSERT_NE(copy, nullptr);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    EXPECT_FALSE(copy->isEnabled());
    QTest::mouseClick(copy, Qt::LeftButton);
    GuiDriver::settle();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_FALSE(window->copyNotice()->isVisible());
  }
  // With a record shown they copy again.
  window->document()->recordController().setSelectionIndex(0);
  GuiDriver::settle();
  QToolButton* copy = window->detailView()->copyButton(RecordKeys::name());
  EXPECT_TRUE(copy->isEnabled());
  QTest::mouseClick(copy, Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Acme Bank"));
}

TEST_F(WindowKeysTest, CopyKeysInTheTablePutNoCellOnTheClipboard) {
  VaultDocumentWindow* window = twentyRecords();
  window->perform(QStringLiteral("setColumnVisibilityAll:"));
  window->perform(QStringLiteral("showPasswordsInTable:"));
  const char* columns[] = {"password", "name", "pin"};
  for (const char* column : columns) {
    SCOPED_TRACE(column);
    window->tableView()->setFocus();
    window->tableView()->setCurrentIndex(
        window->tableModel()->index(3, window->tableModel()->columnOf(QLatin1String(column))));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    press(window, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
  }
}

TEST_F(WindowKeysTest, TheDetailCategoryMenuIsOffWhileItStandsForSeveralRecords) {
  VaultDocumentWindow* window = twentyRecords();
  window->perform(QStringLiteral("editContentToggle:"));
  const struct {
    std::vector<qsizetype> selected;
    bool enabled;
  } rows[] = {{{3}, true}, {{3, 4, 7}, false}, {{}, false}, {{5}, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.selected.size() << " selected");
    window->document()->recordController().setSelectionIndexes(r.selected);
    GuiDriver::settle();
    EXPECT_EQ(window->detailView()->categoryPopupButton()->isEnabled(), r.enabled);
  }
}

TEST_F(WindowKeysTest, ExportShownRecordsWaitsForARecordShown) {
  VaultDocumentWindow* window = twentyRecords();
  QMenu* file = menu(window, "&File");
  const struct {
    const char* search;
    bool shown, all;
  } rows[] = {{"", true, true}, {"no record has this", false, true}, {"bank", true, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.search);
    window->toolbarSearchField()->setText(QString::fromLatin1(r.search));
    GuiDriver::settle();
    openAndCloseMenu(window, "&File");
    EXPECT_EQ(item(file, "exportToTextFile:")->isEnabled(), r.shown);
    EXPECT_EQ(item(file, "exportAllToTextFile:")->isEnabled(), r.all);
  }
}

TEST_F(WindowKeysTest, MakingAndApplyingTheCustomSettingAreEditsThatSavingKeeps) {
  VaultDocumentWindow* window = twentyRecords();
  MyDocument* doc = window->document();
  ASSERT_TRUE(window->perform(QStringLiteral("setColumnVisibilityAll:")));
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  ASSERT_TRUE(window->perform(QStringLiteral("defineCustomTableSettingsToCurrent:")));
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_TRUE(window->isWindowModified());

  const QString path = dir.filePath(QStringLiteral("custom.qvlt"));
  ASSERT_TRUE(doc->saveToURL(path));
  VaultDocumentWindow* again = openAndUnlock(path);
  ASSERT_TRUE(again->perform(QStringLiteral("setColumnVisibilityCompact:")));
  again->document()->updateChangeCount(ChangeCounting::ChangeCleared);
  ASSERT_TRUE(again->perform(QStringLiteral("setCurrentToCustomTableSettings:")));
  for (const RecordColumns::ColumnState& c : again->columnLayout())
    EXPECT_FALSE(c.hidden) << c.identifier.toStdString();
  EXPECT_TRUE(again->document()->isDocumentEdited());
  EXPECT_TRUE(again->isWindowModified());

  // Saved as the edit it is, the file opens with the columns it showed.
  ASSERT_TRUE(again->document()->saveToURL(path));
  VaultDocumentWindow* third = openAndUnlock(path);
  for (const RecordColumns::ColumnState& c : third->columnLayout())
    EXPECT_FALSE(c.hidden) << c.identifier.toStdString();

  // A document with no custom setting yet: applying it changes nothing and is no edit.
  VaultDocumentWindow* plain = twentyRecords();
  const RecordColumns::ColumnLayout before = plain->columnLayout();
  plain->document()->updateChangeCount(ChangeCounting::ChangeCleared);
  plain->perform(QStringLiteral("setCurrentToCustomTableSettings:"));
  EXPECT_FALSE(plain->document()->isDocumentEdited());
  EXPECT_EQ(plain->columnLayout().size(), before.size());
  for (std::size_t i = 0; i < before.size() && i < plain->columnLayout().size(); ++i)
    EXPECT_EQ(plain->columnLayout()[i].hidden, before[i].hidden) << i;
}

}  // namespace
