#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "Common/ZVTextFieldExt.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "vault/PasswordSheet.h"
#include "window/MainSplitView.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

using VaultFixture::kPassword;

QStringList strings(std::initializer_list<const char*> list) {
  QStringList out;
  for (const char* s : list) out << QString::fromLatin1(s);
  return out;
}

// Settings in a folder of the test's own, with the application's registered values.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = VaultFixture::settingsIn(
        dir, {{QStringLiteral("tableSortCompare"), Value::integer(2)},
              {QStringLiteral("tableFontFamily"), Value(QStringLiteral("Lucida Grande"))},
              {QStringLiteral("tableFontSize"), Value::real(12)}});
  }
  void TearDown() override {
    for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
    GuiDriver::closeAllAlerts();
    for (auto& w : windows) delete w.data();
    docs.clear();
  }

  // A new document (with a password, so no sheet unless asked) in its window.
  VaultDocumentWindow* newWindow(bool withPassword = true) {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    if (withPassword) doc->setPlainPassword(kPassword);
    auto* window = new VaultDocumentWindow(doc, *defaults);
    windows << window;
    return window;
  }
  // A document opened from a file, locked, in its window.
  VaultDocumentWindow* openWindow(const QString& path) {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    const DocumentResult<void> read = doc->readFromURL(path);
    EXPECT_TRUE(read) << read.error().toStdString();
    doc->setFileURL(path);
    auto* window = new VaultDocumentWindow(doc, *defaults);
    windows << window;
    return window;
  }
  static void show(QWidget* window) {
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
  }
  // 820 x 460, or less on a screen too small for it, the window's frame around it.
  static QSize lockedSize(const QWidget* window) {
    const QRect area = window->screen()->availableGeometry();
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return QSize(820, 460).boundedTo(area.size() - frame);
  }
  static void unlockThroughTheField(VaultDocumentWindow* window) {
    window->passwordField()->setFocus();
    QTest::keyClicks(window->passwordField(), kPassword);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
  }
  QString savedFile(const std::function<void(MyDocument&)>& fill, const char* name = "v.qvlt") {
    MyDocument source;
    source.setPlainPassword(kPassword);
    fill(source);
    QString path = dir.filePath(QString::fromLatin1(name));
    const DocumentResult<void> saved = source.saveToURL(path);
    EXPECT_TRUE(saved) << saved.error().toStdString();
    return path;
  }
  static QStringList arrangedNames(MyDocument& doc) {
    QStringList out;
    for (const auto& r : doc.recordController().arrangedObjects())
      out << r->value(RecordKeys::name()).toString();
    return out;
  }
  static QStringList columnNames(const RecordTableModel& model) {
    QStringList out;
    const int name = model.columnOf(QStringLiteral("name"));
    for (int row = 0; row < model.rowCount(); ++row)
      out << model.data(model.index(row, name), Qt::DisplayRole).toString();
    return out;
  }
  static void clickRow(VaultDocumentWindow* window, int row) {
    QTableView* table = window->tableView();
    const QRect cell = table->visualRect(table->model()->index(row, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::vector<std::unique_ptr<MyDocument>> docs;
  QList<QPointer<VaultDocumentWindow>> windows;
};

TEST_F(WindowTest, ANewDocumentOpensInTheSplitLayoutAndAsksForItsPasswordOnce) {
  VaultDocumentWindow* window = newWindow(false);
  MyDocument* doc = window->document();
  show(window);
  MainQueue::drain();
  ASSERT_EQ(doc->myCategoryArray()->count(), 1);
  EXPECT_EQ(doc->myCategoryArray()->at(0).toDictionary()->value(u"cat_category").toString(),
            u"Generic");
  EXPECT_EQ(window->commandState().shownColumns,
            strings({"category", "name", "createdDate", "modificationDate", "usageCount"}));
  EXPECT_EQ(window->mainSplitView()->panes().right, 530);
  EXPECT_FALSE(window->showsLockedLayout());
  EXPECT_EQ(window->getEncryptedTabIndex(), 0);
  EXPECT_TRUE(window->isToolbarVisible());
  EXPECT_FALSE(doc->isDocumentEdited());
  EXPECT_FALSE(window->isEditable());
  // Both minimums and the divider.
  EXPECT_EQ(window->minimumWidth(), 260 + 530 + window->mainSplitView()->handleWidth());

  auto sheets = GuiDriver::visible<PasswordSheet>();
  ASSERT_EQ(sheets.size(), 1);
  EXPECT_EQ(sheets.first()->kind(), PasswordSheet::Kind::Mandatory);
  sheets.first()->hide();
  QWidget other;
  show(&other);
  show(window);
  MainQueue::drain();
  EXPECT_TRUE(GuiDriver::visible<PasswordSheet>().isEmpty());
}

TEST_F(WindowTest, ALockedWindowIsSmallFixedAndKeepsAWrongPassword) {
  const QString path = savedFile([](MyDocument& d) {
    const DictRef bank = VaultFixture::addCategory(d, QStringLiteral("Banks"), 0.2f, 0.4f, 0.8f);
    for (const char* n : {"Beta", "alpha", "Gamma"})
      VaultFixture::addRecord(d, QString::fromLatin1(n), bank);
  });
  VaultDocumentWindow* window = openWindow(path);
  MyDocument* doc = window->document();
  show(window);
  MainQueue::drain();
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_EQ(window->getEncryptedTabIndex(), 1);
  EXPECT_EQ(window->size(), lockedSize(window));
  EXPECT_EQ(window->minimumSize(), lockedSize(window));
  EXPECT_EQ(window->maximumSize(), lockedSize(window));
  EXPECT_FALSE(window->isToolbarVisible());
  EXPECT_EQ(QApplication::focusWidget(), window->passwordField());
  EXPECT_FALSE(window->command(QStringLiteral("showPasswordsInTable:"))->isEnabled());
  EXPECT_FALSE(window->perform(QStringLiteral("setColumnVisibilityAll:")));

  QTest::keyClicks(window->passwordField(), QStringLiteral("wrong-one"));
  EXPECT_FALSE(doc->isDocumentEdited());  // typing a password is no edit
  QTest::keyClick(window->passwordField(), Qt::Key_Return);
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().contains(QStringLiteral("Wrong Password")));
  GuiDriver::closeAllAlerts();
  EXPECT_EQ(window->passwordField()->text(), u"wrong-one");
  EXPECT_TRUE(doc->isEncrypted());

  window->passwordField()->clear();
  unlockThroughTheField(window);
  ASSERT_FALSE(doc->isEncrypted());
  EXPECT_FALSE(window->showsLockedLayout());
  EXPECT_TRUE(window->passwordField()->text().isEmpty());
  EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_EQ(window->tableModel()->rowCount(), 3);
  EXPECT_FALSE(doc->isDocumentEdited());
  EXPECT_TRUE(window->command(QStringLiteral("showPasswordsInTable:"))->isEnabled());

  // Reverting locks again: the field empty, the window back to its fixed locked size.
  window->passwordField()->setText(QStringLiteral("left over"));
  (void)doc->revertToContentsOfURL(path, doc->fileType());
  GuiDriver::settle();
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_TRUE(window->passwordField()->text().isEmpty());
  EXPECT_EQ(window->size(), lockedSize(window));
  EXPECT_EQ(window->maximumSize(), lockedSize(window));
  EXPECT_FALSE(window->command(QStringLiteral("showPasswordsInTable:"))->isEnabled());
  EXPECT_EQ(window->tableModel()->rowCount(), 0);
}

TEST_F(WindowTest, CommandsFollowTheDocumentState) {
  VaultDocumentWindow* window = newWindow();
  show(window);
  const auto enabled = [&](const char* action) {
    return window->command(QString::fromLatin1(action))->isEnabled();
  };
  EXPECT_FALSE(enabled("showPasswordsInTable:"));
  EXPECT_FALSE(enabled("editContentToggle:"));
  EXPECT_TRUE(enabled("toggleCollapseExpandMainView:"));
  EXPECT_FALSE(window->perform(QStringLiteral("editContentToggle:")));
  EXPECT_FALSE(window->isEditable());
  VaultFixture::addRecord(*window->document(), QStringLiteral("One"), nullptr);
  GuiDriver::settle();
  EXPECT_TRUE(enabled("showPasswordsInTable:"));
  EXPECT_TRUE(enabled("editContentToggle:"));
  EXPECT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  EXPECT_TRUE(window->command(QStringLiteral("editContentToggle:"))->isChecked());
  EXPECT_TRUE(window->command(QStringLiteral("switchColumnVisibilityCategory:"))->isChecked());
  EXPECT_FALSE(window->command(QStringLiteral("switchColumnVisibilityUrl:"))->isChecked());
}

TEST_F(WindowTest, CollapsingAndExpandingTheDetailViewNeverDrifts) {
  VaultDocumentWindow* window = newWindow();
  VaultFixture::fillTwenty(*window->document());
  window->resize(1200, 600);
  show(window);
  MainSplitView* split = window->mainSplitView();
  const double first = split->panes().right;
  EXPECT_EQ(first, 530);
  split->setPanes({split->width() - 600.0 - split->handleWidth(), 600});
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(window->perform(QStringLiteral("toggleCollapseExpandMainView:")));
    EXPECT_TRUE(window->detailViewCollapsed());
    EXPECT_EQ(split->panes().right, 0);
    ASSERT_TRUE(window->perform(QStringLiteral("toggleCollapseExpandMainView:")));
    EXPECT_FALSE(window->detailViewCollapsed());
    EXPECT_EQ(split->panes().right, 600) << "cycle " << i;
  }
  // Widened by 200 while collapsed: the pane comes back 100 wider.
  window->perform(QStringLiteral("toggleCollapseExpandMainView:"));
  window->resize(window->width() + 200, window->height());
  GuiDriver::settle();
  EXPECT_EQ(split->panes().right, 0);
  window->perform(QStringLiteral("toggleCollapseExpandMainView:"));
  EXPECT_EQ(split->panes().right, 700);
  EXPECT_EQ(window->bufferedDetailViewLength(), 700);
}

TEST_F(WindowTest, ResizingTheWindowIsAnEditDraggingTheDividerIsNot) {
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  VaultFixture::fillTwenty(*doc);
  window->resize(1200, 600);
  show(window);
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  MainSplitView* split = window->mainSplitView();
  QWidget* handle = split->handle(1);
  const QPoint grip = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip - QPoint(100, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(100, 0));
  GuiDriver::settle();
  EXPECT_EQ(split->panes().right, 630);
  EXPECT_EQ(window->bufferedDetailViewLength(), 630);
  EXPECT_FALSE(window->detailViewCollapsed());
  EXPECT_FALSE(doc->isDocumentEdited());
  window->resize(1300, 600);
  GuiDriver::settle();
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(split->panes().right, 680);  // half of the 100 points gained
}

TEST_F(WindowTest, TypingStampsTheEditedRecordAndSelectingChangesNothing) {
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  VaultFixture::fillTwenty(*doc);
  window->resize(1100, 600);
  show(window);
  doc->updateChangeCount(ChangeCounting::ChangeCleared);

  clickRow(window, 2);
  const DictRef edited = doc->recordController().arrangedObjects()[2];
  const DictRef other = doc->recordController().arrangedObjects()[5];
  ASSERT_EQ(window->detailView()->record(), edited);
  EXPECT_FALSE(doc->isDocumentEdited());

  ZVTextFieldExt* name = window->detailView()->field(RecordKeys::name());
  const QString before = edited->value(RecordKeys::name()).toString();
  QTest::keyClicks(name, QStringLiteral("Z"));  // not editable yet
  EXPECT_EQ(edited->value(RecordKeys::name()).toString(), before);
  EXPECT_FALSE(doc->isDocumentEdited());

  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  const Date oldStamp = edited->value(RecordKeys::modificationDate()).toDate();
  const Date otherStamp = other->value(RecordKeys::modificationDate()).toDate();
  QSignalSpy resets(window->tableModel(), &QAbstractItemModel::modelReset);
  QSignalSpy changes(window->tableModel(), &QAbstractItemModel::dataChanged);
  name->setFocus();
  name->end(false);
  QTest::keyClicks(name, QStringLiteral("Z"));
  EXPECT_EQ(edited->value(RecordKeys::name()).toString(), before + u'Z');
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(resets.count(), 0);
  EXPECT_GE(changes.count(), 1);
  EXPECT_EQ(columnNames(*window->tableModel())[2], before + u'Z');
  // Another row is selected before the deferred stamp runs: the edited record is stamped.
  doc->recordController().setSelectionIndex(5);
  MainQueue::drain();
  EXPECT_GT(edited->value(RecordKeys::modificationDate()).toDate(), oldStamp);
  EXPECT_EQ(other->value(RecordKeys::modificationDate()).toDate(), otherStamp);

  // The note, a text view, is stamped as well.
  const Date otherBefore = other->value(RecordKeys::modificationDate()).toDate();
  window->detailView()->noteView()->moveCursor(QTextCursor::End);
  QTest::keyClicks(window->detailView()->noteView(), QStringLiteral("!"));
  MainQueue::drain();
  EXPECT_TRUE(other->value(RecordKeys::note()).toString().endsWith(u'!'));
  EXPECT_GT(other->value(RecordKeys::modificationDate()).toDate(), otherBefore);
}

// What the user types into a field or the note reaches the document through its record list,
// which tells the document of each edit.
TEST_F(WindowTest, FieldEditsReachTheDocumentThroughTheRecordList) {
  struct Recorder : ChangeCounting {
    std::vector<int> kinds;
    void updateChangeCount(int changeKind) override { kinds.push_back(changeKind); }
  };
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  VaultFixture::fillTwenty(*doc);
  show(window);
  doc->recordController().setSelectionIndex(2);
  GuiDriver::settle();
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  Recorder recorder;
  ChangeCounting* const document = std::exchange(doc->recordController().myDoc, &recorder);

  ZVTextFieldExt* name = window->detailView()->field(RecordKeys::name());
  name->setFocus();
  name->end(false);
  QTest::keyClicks(name, QStringLiteral("Zy"));
  EXPECT_EQ(recorder.kinds, (std::vector<int>{0, 0}));
  window->detailView()->noteView()->moveCursor(QTextCursor::End);
  QTest::keyClicks(window->detailView()->noteView(), QStringLiteral("!"));
  EXPECT_EQ(recorder.kinds, (std::vector<int>{0, 0, 0}));
  EXPECT_FALSE(doc->isDocumentEdited()) << "marked past the record list";

  doc->recordController().myDoc = document;
  QTest::keyClicks(name, QStringLiteral("x"));
  EXPECT_TRUE(doc->isDocumentEdited());
  MainQueue::drain();
}

TEST_F(WindowTest, CopyingCountsOneUsePerSelection) {
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  VaultFixture::fillTwenty(*doc);
  show(window);
  doc->recordController().setSelectionIndex(1);
  GuiDriver::settle();
  const DictRef record = doc->recordController().arrangedObjects()[1];
  for (const QString& key : {RecordKeys::password(), RecordKeys::userID()})
    window->detailView()->field(key)->CopyInClipboard(5);
  EXPECT_EQ(record->value(RecordKeys::usageCount()).toInteger(), 1);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), record->value(RecordKeys::userID()).toString());
  doc->recordController().setSelectionIndex(2);
  doc->recordController().setSelectionIndex(1);
  GuiDriver::settle();
  window->detailView()->field(RecordKeys::pin())->CopyInClipboard(6);
  EXPECT_EQ(record->value(RecordKeys::usageCount()).toInteger(), 2);
}

TEST_F(WindowTest, HeaderClicksAndTheComparisonPreferenceSortTheTable) {
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  for (const char* n : {"b", "A", "a", "C"})
    VaultFixture::addRecord(*doc, QString::fromLatin1(n), {});
  show(window);
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  QHeaderView* header = window->tableView()->horizontalHeader();
  const int name = window->tableModel()->columnOf(QStringLiteral("name"));
  const auto clickHeader = [&] {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(name) + 10, header->height() / 2));
    GuiDriver::settle();
  };
  clickHeader();
  EXPECT_EQ(arrangedNames(*doc), strings({"A", "a", "b", "C"}));
  EXPECT_EQ(columnNames(*window->tableModel()), arrangedNames(*doc));
  EXPECT_EQ(header->sortIndicatorSection(), name);
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(doc->vault().viewState().latestOrderedColumn, u"name");
  EXPECT_TRUE(doc->vault().viewState().latestOrderedColumnAscending);
  clickHeader();
  EXPECT_EQ(arrangedNames(*doc), strings({"C", "b", "A", "a"}));
  EXPECT_FALSE(doc->vault().viewState().latestOrderedColumnAscending);

  defaults->setInteger(QStringLiteral("tableSortCompare"), 0);  // plain: capitals first
  EXPECT_EQ(arrangedNames(*doc), strings({"b", "a", "C", "A"}));
  EXPECT_EQ(columnNames(*window->tableModel()), arrangedNames(*doc));
  // The header's own sorting follows the new comparison too.
  clickHeader();
  EXPECT_EQ(arrangedNames(*doc), strings({"A", "C", "a", "b"}));
  EXPECT_TRUE(doc->vault().viewState().latestOrderedColumnAscending);
}

TEST_F(WindowTest, ColumnSwitchesPresetsAndSnapshotsRoundTrip) {
  VaultDocumentWindow* window = newWindow();
  MyDocument* doc = window->document();
  show(window);
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  ASSERT_TRUE(window->perform(QStringLiteral("switchColumnVisibilityUrl:")));
  EXPECT_TRUE(window->commandState().shownColumns.contains(QStringLiteral("url")));
  EXPECT_TRUE(window->command(QStringLiteral("switchColumnVisibilityUrl:"))->isChecked());
  EXPECT_TRUE(doc->isDocumentEdited());
  window->perform(QStringLiteral("switchColumnVisibilityUrl:"));
  EXPECT_FALSE(window->commandState().shownColumns.contains(QStringLiteral("url")));

  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  window->perform(QStringLiteral("setColumnVisibilityCompact:"));
  EXPECT_EQ(window->commandState().shownColumns, strings({"category", "name"}));
  EXPECT_EQ(window->getColumnVisibility()->count(), 12);
  EXPECT_TRUE(doc->isDocumentEdited());
  window->perform(QStringLiteral("defineCustomTableSettingsToCurrent:"));
  window->perform(QStringLiteral("setColumnVisibilityAll:"));
  window->perform(QStringLiteral("setCurrentToCustomTableSettings:"));
  EXPECT_EQ(window->commandState().shownColumns, strings({"category", "name"}));

  // Showing secrets redraws without marking the document.
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  VaultFixture::addRecord(*doc, QStringLiteral("x"), {}, QStringLiteral("s3cret"));
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  window->perform(QStringLiteral("showPasswordsInTable:"));
  window->perform(QStringLiteral("showPasswordsInTable:"));
  EXPECT_FALSE(doc->isDocumentEdited());

  // Moved and resized columns travel to another window exactly.
  QHeaderView* header = window->tableView()->horizontalHeader();
  window->perform(QStringLiteral("setColumnVisibilityAll:"));
  header->moveSection(5, 0);
  header->resizeSection(2, 217);
  EXPECT_TRUE(doc->isDocumentEdited());  // the user's own resize
  const ArrayRef sizes = window->getColumnSize();
  const ArrayRef visibility = window->getColumnVisibility();
  VaultDocumentWindow* second = newWindow();
  second->applyColumnSize(sizes);
  second->applyColumnVisibility(visibility);
  EXPECT_EQ(second->getColumnVisibility()->count(), 12);
  for (int i = 0; i < 12; ++i) {
    const DictRef s = sizes->at(i).toDictionary();
    for (const RecordColumns::ColumnState& c : second->columnLayout()) {
      if (c.identifier == s->value(u"name").toString()) {
        EXPECT_EQ(c.width, s->value(u"size").toDouble()) << c.identifier.toStdString();
      }
    }
  }
  EXPECT_FALSE(second->document()->isDocumentEdited());
}

// A window that saves hostile state into a file, as a damaged or crafted file would hold.
class HostileWindow : public VaultWindow {
 public:
  QWidget widgetValue;
  Rect frame() const override { return {-50000, -50000, 1.0e5, 1.0e5}; }
  void setFrame(const Rect&, bool) override {}
  bool isToolbarVisible() const override { return true; }
  void setToolbarVisible(bool) override {}
  std::optional<Rect> splitPaneFrame(int pane) const override {
    return pane == 0 ? Rect{0, 0, 5000, 300} : Rect{5001, 0, 1.0e9, 300};
  }
  static Value entry(const char* name, const char* key, Value v) {
    auto d = Dictionary::create();
    d->setValue(QStringLiteral("name"), QString::fromLatin1(name));
    d->setValue(QString::fromLatin1(key), std::move(v));
    return Value(d);
  }
  ArrayRef getColumnSize() const override {
    return Array::create({entry("name", "size", Value::real(std::nan(""))),
                          entry("url", "size", Value::real(1.0e12))});
  }
  ArrayRef getColumnVisibility() const override {
    return Array::create({entry("name", "hidden", Value::boolean(true)),
                          entry("nonsense", "hidden", Value::boolean(false)),
                          entry("url", "hidden", Value::boolean(false))});
  }
  QWidget* widget() const override { return const_cast<QWidget*>(&widgetValue); }
};

TEST_F(WindowTest, HostileViewStateFromAFileIsClamped) {
  HostileWindow hostile;
  const QString path = savedFile([&](MyDocument& d) {
    d.setWindow(&hostile);
    VaultFixture::addRecord(d, QStringLiteral("Only"), {});
    DesktopViewState state = d.vault().viewState();
    state.latestOrderedColumn = QStringLiteral("categoryPtr");  // not a column
    d.vault().setViewState(state);
  });
  VaultDocumentWindow* window = openWindow(path);
  show(window);
  unlockThroughTheField(window);
  MainQueue::drain();
  ASSERT_FALSE(window->document()->isEncrypted());
  const QRect visible = window->screen()->availableGeometry();
  // As large as the screen shows, or the window's minimum on a smaller screen.
  EXPECT_LE(window->width(), std::max(visible.width(), window->minimumWidth()));
  EXPECT_LE(window->height(), std::max(visible.height(), window->minimumHeight()));
  EXPECT_GE(window->x(), visible.left());
  EXPECT_GE(window->y(), visible.top());
  const QStringList shown = window->commandState().shownColumns;
  EXPECT_TRUE(shown.contains(QStringLiteral("name")));
  EXPECT_TRUE(shown.contains(QStringLiteral("url")));
  for (const RecordColumns::ColumnState& c : window->columnLayout()) {
    EXPECT_TRUE(std::isfinite(c.width));
    EXPECT_LE(c.width, RecordColumns::kMaximumWidth);
  }
  EXPECT_GE(window->mainSplitView()->panes().left, 260);
  EXPECT_TRUE(window->document()->recordController().sortDescriptors().empty());
  EXPECT_EQ(window->tableModel()->rowCount(), 1);
}

TEST_F(WindowTest, TheWindowStateComesBackAfterSavingAndUnlocking) {
  VaultDocumentWindow* first = newWindow();
  MyDocument* doc = first->document();
  VaultFixture::fillTwenty(*doc);
  first->resize(first->minimumWidth(), 640);  // the test's screen is not much wider
  show(first);
  first->perform(QStringLiteral("setColumnVisibilityAllMinusCMA:"));
  QHeaderView* header = first->tableView()->horizontalHeader();
  header->moveSection(header->visualIndex(first->tableModel()->columnOf(QStringLiteral("email"))),
                      0);
  header->resizeSection(first->tableModel()->columnOf(QStringLiteral("url")), 233);
  // Sorted by name, descending, as two clicks on its header leave it.
  const int name = first->tableModel()->columnOf(QStringLiteral("name"));
  for (int click = 0; click < 2; ++click) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(name) + 10, header->height() / 2));
    GuiDriver::settle();
  }
  ASSERT_EQ(doc->vault().viewState().latestOrderedColumn, u"name");
  ASSERT_FALSE(doc->vault().viewState().latestOrderedColumnAscending);
  first->perform(QStringLiteral("toggleCollapseExpandMainView:"));
  const QSize size = first->size();
  const ArrayRef sizes = first->getColumnSize();
  const ArrayRef visibility = first->getColumnVisibility();
  const QStringList order = arrangedNames(*doc);
  const QString path = dir.filePath(QStringLiteral("state.qvlt"));
  ASSERT_TRUE(doc->saveToURL(path));

  VaultDocumentWindow* second = openWindow(path);
  show(second);
  unlockThroughTheField(second);
  MainQueue::drain();
  ASSERT_FALSE(second->document()->isEncrypted());
  EXPECT_EQ(second->size(), size);
  EXPECT_TRUE(second->detailViewCollapsed());
  EXPECT_EQ(arrangedNames(*second->document()), order);
  EXPECT_EQ(second->getColumnVisibility()->count(), 12);
  // Widths and visibility by column; the order of the columns is the table's own.
  for (const ArrayRef& list : {sizes, visibility}) {
    for (const Value& v : list->values()) {
      const DictRef e = v.toDictionary();
      for (const RecordColumns::ColumnState& c : second->columnLayout()) {
        if (c.identifier != e->value(u"name").toString()) continue;
        if (e->contains(u"size") && !c.hidden) {
          EXPECT_EQ(c.width, e->value(u"size").toDouble()) << c.identifier.toStdString();
        }
        if (e->contains(u"hidden")) {
          EXPECT_EQ(c.hidden, e->value(u"hidden").toBool()) << c.identifier.toStdString();
        }
      }
    }
  }
  EXPECT_FALSE(second->document()->isDocumentEdited());
}

TEST_F(WindowTest, AThousandRecordVaultUnlocksSortedAndKeepsAnEditAcrossSaving) {
  QStringList names;
  const QString path = savedFile([&](MyDocument& d) {
    for (int i = 0; i < 1000; ++i) {
      const QString n = QStringLiteral("Record %1").arg((i * 7919) % 1000, 4, 10, QChar(u'0'));
      names << n;
      VaultFixture::addRecord(d, n, {});
    }
    DesktopViewState state = d.vault().viewState();
    state.latestOrderedColumn = QStringLiteral("name");
    state.latestOrderedColumnAscending = false;
    d.vault().setViewState(state);
  });
  std::sort(names.begin(), names.end(), std::greater<>());
  VaultDocumentWindow* window = openWindow(path);
  MyDocument* doc = window->document();
  show(window);
  unlockThroughTheField(window);
  ASSERT_FALSE(doc->isEncrypted());
  EXPECT_EQ(columnNames(*window->tableModel()), names);

  clickRow(window, 10);
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  ZVTextFieldExt* url = window->detailView()->field(RecordKeys::url());
  url->setFocus();
  url->selectAll();
  QTest::keyClicks(url, QStringLiteral("https://changed.example"));
  MainQueue::drain();
  EXPECT_TRUE(doc->isDocumentEdited());
  ASSERT_TRUE(doc->saveDocument());

  MyDocument reopened;
  ASSERT_TRUE(reopened.readFromURL(path));
  reopened.setPlainPassword(kPassword);
  ASSERT_EQ(reopened.Decript(), 0);
  int found = 0;
  for (const Value& v : reopened.myArray()->values()) {
    const DictRef r = v.toDictionary();
    if (r->value(RecordKeys::name()).toString() != names[10]) continue;
    ++found;
    EXPECT_EQ(r->value(RecordKeys::url()).toString(), u"https://changed.example");
    EXPECT_GT(r->value(RecordKeys::modificationDate()).toDate(), (Date{700000000}));
  }
  EXPECT_EQ(found, 1);
}

TEST_F(WindowTest, AWindowOutlivingItsDocumentDrawsNothingAndGoes) {
  VaultDocumentWindow* window = newWindow();
  VaultFixture::fillTwenty(*window->document());
  show(window);
  const QPointer<VaultDocumentWindow> guard(window);
  docs.clear();  // the document goes first
  window->tableView()->viewport()->repaint();
  EXPECT_EQ(window->tableModel()->rowCount(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
}

TEST(RecordTableModel, FollowsTheListWithoutResetsAndMasksSecrets) {
  MyDocument doc;
  RecordTableModel model(&doc.recordController());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  const DictRef a =
      VaultFixture::addRecord(doc, QStringLiteral("a"), {}, QStringLiteral("s\u00e9cr\u00e8t"));
  const DictRef b = VaultFixture::addRecord(doc, QStringLiteral("b"), {}, QString());
  b->removeValue(RecordKeys::categoryPtr());
  b->removeValue(RecordKeys::pin());
  doc.recordController().removeObject(a);
  const DictRef c =
      VaultFixture::addRecord(doc, QStringLiteral("c"), {}, QStringLiteral("\U0001F600!"));
  EXPECT_EQ(inserted.count(), 3);
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(resets.count(), 0);

  const auto cell = [&](int row, const char* column) {
    return model.data(model.index(row, model.columnOf(QString::fromLatin1(column))),
                      Qt::DisplayRole);
  };
  EXPECT_EQ(cell(1, "password").toString(), QString(3, QChar(0x2022)));  // UTF-16 units
  EXPECT_EQ(cell(0, "password").toString(), QString());
  EXPECT_EQ(cell(0, "pin").toString(), QString());
  EXPECT_EQ(model.data(model.index(0, 0), RecordTableModel::CategoryBackColorRole).value<QColor>(),
            QColor::fromRgbF(0, 0, 0, 0));
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  model.setShowSecrets(true);
  EXPECT_EQ(cell(1, "password").toString(), u"\U0001F600!");
  EXPECT_EQ(changed.count(), 3);  // the three secret columns
  c->setValue(RecordKeys::name(), QStringLiteral("renamed"));
  doc.recordController().noteObjectChanged(c.get());
  EXPECT_EQ(cell(1, "name").toString(), u"renamed");
  EXPECT_EQ(resets.count(), 0);
  doc.recordController().setSortDescriptors({{RecordKeys::name(), false}});
  doc.recordController().rearrangeObjects();  // a sort is a reset
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(cell(0, "name").toString(), u"renamed");
}

TEST_F(WindowTest, Screenshots) {
  VaultDocumentWindow* unlocked = newWindow();
  VaultFixture::fillTwenty(*unlocked->document());
  unlocked->resize(1100, 640);
  show(unlocked);
  unlocked->document()->recordController().setSelectionIndex(3);
  GuiDriver::settle();
  GuiDriver::snapshot(unlocked, QStringLiteral("document-window-unlocked"));

  const QString path = savedFile([](MyDocument& d) { VaultFixture::fillTwenty(d); });
  VaultDocumentWindow* locked = openWindow(path);
  show(locked);
  MainQueue::drain();
  GuiDriver::snapshot(locked, QStringLiteral("document-window-locked"));
}

}  // namespace
