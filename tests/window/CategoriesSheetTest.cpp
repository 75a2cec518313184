#include <gtest/gtest.h>

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

#include "Common/ZVColorUtilOSX.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/vault/CategoryLinkChecker.h"
#include "tests/window/VaultFixture.h"
#include "window/CategoriesSheet.h"
#include "window/RecordSearchController.h"
#include "window/VaultDocumentWindow.h"

namespace {

// Two unlocked windows; the first holds twenty records in four categories and Generic.
class CategoriesSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    for (auto& d : docs) {
      d = std::make_unique<MyDocument>();
      d->setPlainPassword(VaultFixture::kPassword);
    }
    window = new VaultDocumentWindow(docs[0].get(), *defaults);
    other = new VaultDocumentWindow(docs[1].get(), *defaults);
    VaultFixture::fillTwenty(*docs[0]);
    window->search()->synkCategorySubMenu();
    window->resize(1000, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    docs[0]->updateChangeCount(ChangeCounting::ChangeCleared);
    docs[1]->updateChangeCount(ChangeCounting::ChangeCleared);
    ASSERT_TRUE(window->perform(QStringLiteral("editCategoriesSheet:")));
    GuiDriver::settle();
    sheet = window->categoriesSheet();
    ASSERT_TRUE(sheet && sheet->isVisible());
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    delete window.data();
    delete other.data();
  }

  MyDocument& doc() { return *docs[0]; }
  ::testing::AssertionResult linksHold() {
    return categoryLinksHold(doc().recordController(), doc().categoryController());
  }
  void selectRow(int row) {
    QTableView* table = sheet->categoryTable();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->model()->index(row, 0)).center());
    GuiDriver::settle();
  }
  QStringList menuTitles() const {
    QStringList out;
    for (int i = RecordSearchController::kFirstCategoryItem; i < window->categoryMenu()->count();
         ++i)
      out << window->categoryMenu()->itemText(i);
    return out;
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> docs[2];
  QPointer<VaultDocumentWindow> window, other;
  QPointer<CategoriesSheet> sheet;
};

TEST_F(CategoriesSheetTest, AddRetitleRecolourAndRemoveKeepTheLinksAndTheMenu) {
  QSignalSpy filtered(&doc().recordController(), &ArrayController::arrangedObjectsReset);
  QTableView* table = sheet->categoryTable();
  ASSERT_EQ(table->model()->rowCount(), 5);

  // Add: the next free Generic title, last row, edited, in the menu once the turn is over.
  QTest::mouseClick(sheet->addButton(), Qt::LeftButton);
  MainQueue::drain();
  GuiDriver::settle();
  ASSERT_EQ(table->model()->rowCount(), 6);
  EXPECT_EQ(table->model()->index(5, 0).data().toString(), u"Generic 1");
  EXPECT_TRUE(doc().isDocumentEdited());
  EXPECT_EQ(menuTitles().last(), u"Generic 1");
  EXPECT_TRUE(linksHold());

  // Retitle by typing: the category follows each keystroke; the menu after the sheet.
  selectRow(1);  // Banks, used by five records
  QTest::keyClick(table, Qt::Key_F2);
  auto* editor = table->findChild<QLineEdit*>();
  ASSERT_TRUE(editor);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Money"));
  EXPECT_EQ(doc().categoryController().arrangedObjects()[1]->value(u"cat_category").toString(),
            u"Money");
  QTest::keyClick(editor, Qt::Key_Return);
  GuiDriver::settle();
  EXPECT_TRUE(linksHold());

  // Remove is refused while records use the category.
  EXPECT_FALSE(sheet->removeButton()->isEnabled());
  sheet->removeCategory();
  EXPECT_EQ(table->model()->rowCount(), 6);

  // Recolour through the colour dialog: this document only.
  doc().updateChangeCount(ChangeCounting::ChangeCleared);
  QTest::mouseClick(sheet->colourButton(), Qt::LeftButton);
  GuiDriver::settle();
  QPointer<QColorDialog> colours = sheet->colourDialog();
  ASSERT_TRUE(colours && colours->isVisible());
  colours->setCurrentColor(QColor(10, 200, 30));
  const Rgba back = ZVColorUtilOSX::NSColorFromDict(
                        doc().categoryController().arrangedObjects()[1]->value(u"cat_backColor"))
                        .usingCalibratedRGB()
                        .value();
  EXPECT_NEAR(back.g, 200 / 255.0, 1e-3);
  EXPECT_TRUE(doc().isDocumentEdited());
  EXPECT_FALSE(docs[1]->isDocumentEdited());

  // Remove an unused category.
  selectRow(5);
  ASSERT_TRUE(sheet->removeButton()->isEnabled());
  doc().updateChangeCount(ChangeCounting::ChangeCleared);
  QTest::mouseClick(sheet->removeButton(), Qt::LeftButton);
  MainQueue::drain();
  GuiDriver::settle();
  EXPECT_EQ(table->model()->rowCount(), 5);
  EXPECT_TRUE(doc().isDocumentEdited());
  EXPECT_TRUE(linksHold());
  GuiDriver::snapshot(sheet, QStringLiteral("categories-sheet"));

  // Closing ends the colour dialog and rebuilds the menu in content order.
  sheet->closeCategoriesSheet();
  GuiDriver::settle();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_TRUE(!colours || !colours->isVisible());
  EXPECT_EQ(menuTitles(),
            (QStringList{QStringLiteral("Generic"), QStringLiteral("Money"), QStringLiteral("Mail"),
                         QStringLiteral("Shopping and very long category titles"),
                         QStringLiteral("Work")}));
  EXPECT_EQ(filtered.count(), 0);  // rebuilding the menu filtered nothing
}

// Each keystroke of a title reaches the document through the category list, and counts as
// one change, not two; a colour change still counts.
TEST_F(CategoriesSheetTest, ATitleEditIsToldByTheCategoryListAndCountedOnce) {
  // Stands between the category list and its document, counting what the list tells.
  struct Relay : ChangeCounting {
    explicit Relay(ZVCategoryArrayController& list) : list(list), to(list.myDoc) {
      list.myDoc = this;
    }
    ~Relay() override { list.myDoc = to; }
    void updateChangeCount(int kind) override {
      ++told;
      to->updateChangeCount(kind);
    }
    ZVCategoryArrayController& list;
    ChangeCounting* to;
    int told = 0;
  } relay(doc().categoryController());
  ASSERT_TRUE(relay.to);

  QTableView* table = sheet->categoryTable();
  selectRow(2);
  QTest::keyClick(table, Qt::Key_F2);
  auto* editor = table->findChild<QLineEdit*>();
  ASSERT_TRUE(editor);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Post"));
  QTest::keyClick(editor, Qt::Key_Return);
  GuiDriver::settle();
  EXPECT_EQ(doc().categoryController().arrangedObjects()[2]->value(u"cat_category").toString(),
            u"Post");
  EXPECT_EQ(relay.told, 4);
  EXPECT_EQ(doc().changeCount(), 4);

  QTest::mouseClick(sheet->colourButton(), Qt::LeftButton);
  GuiDriver::settle();
  ASSERT_TRUE(sheet->colourDialog());
  sheet->colourDialog()->setCurrentColor(QColor(200, 10, 30));
  EXPECT_EQ(doc().changeCount(), 5);
  EXPECT_EQ(relay.told, 4);
}

// Add puts the new title in its editor, and Return (or Enter) ends that edit, not the sheet:
// the typed title stays, the sheet stays open.
TEST_F(CategoriesSheetTest, AddStartsEditingTheNewTitleAndReturnEndsOnlyThatEdit) {
  QTableView* table = sheet->categoryTable();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Enter");
    const int rows = table->model()->rowCount();
    QTest::mouseClick(sheet->addButton(), Qt::LeftButton);
    MainQueue::drain();
    GuiDriver::settle();
    ASSERT_EQ(table->model()->rowCount(), rows + 1);
    auto* editor = table->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(table->currentIndex().row(), rows);
    EXPECT_EQ(editor->text(), table->model()->index(rows, 0).data().toString());
    editor->selectAll();
    const QString title = key == Qt::Key_Return ? QStringLiteral("Travel") : QStringLiteral("Pets");
    QTest::keyClicks(editor, title);
    QTest::keyClick(editor, key);
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isSheetRunning());
    EXPECT_EQ(table->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(table->model()->index(rows, 0).data().toString(), title);
  }
  EXPECT_TRUE(linksHold());
}

// Remove, off for a category that records use, says why; for one no record uses it is on and
// says nothing.
TEST_F(CategoriesSheetTest, RemoveSaysWhyItIsOffForACategoryInUse) {
  const struct {
    int row;
    bool removable;
    const char* why;
  } cases[] = {
      {0, true, ""},  // Generic, used by none
      {1, false, "“Banks” holds 5 records: move them to another category to remove it."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    selectRow(c.row);
    EXPECT_EQ(sheet->removeButton()->isEnabled(), c.removable);
    EXPECT_EQ(sheet->removeHint()->isVisible(), !c.removable);
    EXPECT_EQ(sheet->removeHint()->text(), QString::fromUtf8(c.why));
    if (!c.removable) {
      EXPECT_EQ(sheet->removeButton()->toolTip(), QString::fromUtf8(c.why));
    }
  }
  // Both selected: one in use keeps Remove off, and says so.
  QTableView* table = sheet->categoryTable();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    table->visualRect(table->model()->index(0, 0)).center());
  GuiDriver::settle();
  EXPECT_FALSE(sheet->removeButton()->isEnabled());
  EXPECT_TRUE(sheet->removeHint()->text().startsWith(u"Some of the selected categories"));
  GuiDriver::snapshot(sheet, QStringLiteral("categories-sheet-remove-hint"));
}

TEST_F(CategoriesSheetTest, AnAutomaticLockEndsTheSheet) {
  docs[0]->setFileURL(dir.filePath(QStringLiteral("c.qvlt")));
  ASSERT_TRUE(docs[0]->saveToURL(docs[0]->fileURL()));
  docs[0]->lockAutomatically();
  GuiDriver::settle();
  EXPECT_FALSE(sheet->isVisible());
  MainQueue::drain();
  EXPECT_TRUE(docs[0]->isEncrypted());
  EXPECT_FALSE(window->perform(QStringLiteral("editCategoriesSheet:")));
}

}  // namespace
