#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "window/FilterInfoPane.h"
#include "window/MainSplitView.h"
#include "window/RecordSearchController.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

// An unlocked window of twenty records in four categories, on screen.
class SearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    doc = std::make_unique<MyDocument>();
    doc->setPlainPassword(VaultFixture::kPassword);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    VaultFixture::fillTwenty(*doc);
    window->search()->synkCategorySubMenu();
    window->resize(1100, 640);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
  }
  void TearDown() override { delete window.data(); }

  QStringList shownNames() const {
    QStringList out;
    for (const auto& r : doc->recordController().arrangedObjects())
      out << r->value(RecordKeys::name()).toString();
    return out;
  }
  void type(const QString& text) {
    window->toolbarSearchField()->setFocus();
    QTest::keyClicks(window->toolbarSearchField(), text);
    GuiDriver::settle();
  }
  // Chooses an item of the category menu as a click on it would.
  void choose(const QString& title) {
    QComboBox* menu = window->categoryMenu();
    const int index = menu->findText(title);
    ASSERT_GE(index, 0) << title.toStdString();
    menu->setCurrentIndex(index);
    Q_EMIT menu->activated(index);
    GuiDriver::settle();
  }
  DictRef category(const QString& title) const {
    return doc->categoryController().categoryWithTitle(title);
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
};

TEST_F(SearchWindowTest, TypingNarrowsTheTableAndThePaneTakesItsBand) {
  const int fullHeight = window->mainSplitView()->height();
  EXPECT_FALSE(window->filterInfoPane()->isVisible());
  type(QStringLiteral("BANK"));
  EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Acme Bank")});
  EXPECT_EQ(window->tableView()->model()->rowCount(), 1);
  EXPECT_TRUE(window->filterInfoPane()->isVisible());
  EXPECT_EQ(window->filterInfoPane()->text(), u"Filter: search string = 'BANK'");
  EXPECT_EQ(window->mainSplitView()->height(), fullHeight - FilterInfoPane::kHeight);

  // A password is never searched: every record of the fixture has one of x's.
  window->toolbarSearchField()->clear();
  type(QStringLiteral("xxxxxx"));
  EXPECT_TRUE(shownNames().isEmpty());

  // Each letter narrows what is shown; the rows are those a fresh filter finds, in order.
  window->toolbarSearchField()->clear();
  window->orderByColumnWithidentifier(QStringLiteral("name"), false);
  for (const char* letter : {"o", "O", "k"}) {
    type(QString::fromLatin1(letter));
    const QStringList narrowed = shownNames();
    window->search()->setFilterPredicate();
    EXPECT_EQ(shownNames(), narrowed) << letter;
  }
  EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Bookshop")});  // "oOk"

  window->toolbarSearchField()->clear();
  GuiDriver::settle();
  EXPECT_EQ(shownNames().size(), 20);
  EXPECT_FALSE(window->filterInfoPane()->isVisible());
  EXPECT_EQ(window->mainSplitView()->height(), fullHeight);
}

TEST_F(SearchWindowTest, ACategoryStaysChosenAcrossARenameAndAllResetsEverything) {
  QComboBox* menu = window->categoryMenu();
  // All, the line, Generic and the four categories, in content order.
  ASSERT_EQ(menu->count(), 7);
  EXPECT_EQ(menu->itemText(2), u"Generic");
  EXPECT_EQ(menu->itemText(3), u"Banks");
  EXPECT_EQ(menu->itemText(6), u"Work");

  choose(QStringLiteral("Mail"));
  const QStringList mail = shownNames();
  EXPECT_EQ(mail.size(), 5);
  EXPECT_EQ(mail.front(), u"Bookshop");
  type(QStringLiteral("k"));
  EXPECT_EQ(window->filterInfoPane()->text(), u"Filter: category = 'Mail' and search string = 'k'");
  EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Bookshop")});

  // Renamed in the sheet: still its records, under the new title once the menu is rebuilt.
  category(QStringLiteral("Mail"))->setValue(CategoryKeys::category(), QStringLiteral("Post"));
  QSignalSpy resets(&doc->recordController(), &ArrayController::arrangedObjectsReset);
  window->search()->synkCategorySubMenu();
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(menu->currentText(), u"Post");
  doc->recordController().rearrangeObjects();
  EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Bookshop")});

  window->search()->showAllAndResetFilter();
  GuiDriver::settle();
  EXPECT_EQ(shownNames().size(), 20);
  EXPECT_EQ(menu->currentIndex(), RecordSearchController::kAllCategoriesItem);
  EXPECT_TRUE(window->toolbarSearchField()->text().isEmpty());
  EXPECT_FALSE(window->filterInfoPane()->isVisible());
}

TEST_F(SearchWindowTest, AddingARecordClearsTheSearchAndTheCategorySoItShows) {
  choose(QStringLiteral("Mail"));
  type(QStringLiteral("k"));
  ASSERT_EQ(shownNames().size(), 1);
  ASSERT_TRUE(window->perform(QStringLiteral("addRow:")));
  MainQueue::drain();
  GuiDriver::settle();
  EXPECT_EQ(window->categoryMenu()->currentIndex(), RecordSearchController::kAllCategoriesItem);
  EXPECT_TRUE(window->toolbarSearchField()->text().isEmpty());
  EXPECT_FALSE(window->filterInfoPane()->isVisible());
  const auto shown = doc->recordController().arrangedObjects();
  ASSERT_EQ(shown.size(), 21u);
  const auto selected = doc->recordController().selectedObjects();
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(shown.back(), selected.front());
}

TEST_F(SearchWindowTest, FilteringWasPerformedSelectsTheFirstShownRow) {
  type(QStringLiteral("a"));
  window->search()->filteringWasPerformed();
  GuiDriver::settle();
  ASSERT_EQ(doc->recordController().selectionIndexes(), std::vector<qsizetype>{0});
  EXPECT_EQ(window->tableView()->selectionModel()->selectedRows().size(), 1);
}

TEST_F(SearchWindowTest, Screenshots) {
  choose(QStringLiteral("Banks"));
  type(QStringLiteral("e"));
  GuiDriver::snapshot(window, QStringLiteral("document-window-filtered"));
}

}  // namespace
