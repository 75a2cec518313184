#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include "Common/ZVDragDropView.h"
#include "Common/ZVTextFieldExt.h"
#include "Common/ZVUrlResolutor.h"
#include "app/ApplicationMenus.h"
#include "platform/AtomicFile.h"
#include "platform/Pasteboard.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "vault/CategoryMembers.h"
#include "window/CopyNotice.h"
#include "window/EmailList.h"
#include "window/EmailListSheet.h"
#include "window/PhoneListSheet.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/TablePrinter.h"
#include "window/VaultDocumentWindow.h"

namespace {

// An unlocked document of twenty records in its window, with the application's menus.
class RecordEditingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = VaultFixture::settingsIn(
        dir, {{QStringLiteral("tableSortCompare"), Value::integer(2)},
              {QStringLiteral("notifyHudTimer"), Value::integer(10)},
              {QStringLiteral("useHudNotifyForCopy"), Value::boolean(true)}});
    doc = std::make_unique<MyDocument>();
    doc->setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(*doc);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    ApplicationMenus::install(window, nullptr, nullptr, doc.get());
    window->addMenusTo(window->menuBar());
    window->resize(1100, 640);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    doc->recordController().setSelectionIndex(3);
    GuiDriver::settle();
    doc->updateChangeCount(ChangeCounting::ChangeCleared);
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    delete window.data();
    doc.reset();
  }

  DictRef selected() const {
    const auto s = doc->recordController().selectedObjects();
    return s.empty() ? DictRef() : s.back();
  }
  QString editTitle(const char* selector) {
    for (QAction* menu : window->menuBar()->actions())
      if (menu->text() == u"&Edit") {
        ApplicationMenus::validate(menu->menu(), doc.get(), nullptr);
        for (QAction* a : menu->menu()->actions())
          if (a->property("qvSelector").toString() == QLatin1String(selector))
            return a->isEnabled() ? a->text() : QStringLiteral("(disabled) ") + a->text();
      }
    return {};
  }
  void menuUndo() {
    window->setFocus();
    for (QAction* menu : window->menuBar()->actions())
      if (menu->text() == u"&Edit")
        for (QAction* a : menu->menu()->actions())
          if (a->property("qvSelector").toString() == u"undo:") a->trigger();
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
};

TEST_F(RecordEditingWindowTest, AddingEditsTheNewRecordAndUndoFollowsTheMenus) {
  const int rows = window->tableModel()->rowCount();
  ASSERT_TRUE(window->perform(QStringLiteral("addRow:")));
  MainQueue::drain();
  GuiDriver::settle();
  const DictRef added = selected();
  EXPECT_EQ(window->tableModel()->rowCount(), rows + 1);
  EXPECT_EQ(doc->recordController().arrangedObjects().back(), added);
  EXPECT_EQ(window->detailView()->record(), added);
  EXPECT_TRUE(window->isEditable());
  EXPECT_EQ(QApplication::focusWidget(), window->detailView()->field(RecordKeys::name()));
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(editTitle("undo:"), QStringLiteral("&Undo Add Record"));

  // The focused name field has nothing typed, so undo goes to the document.
  menuUndo();
  EXPECT_EQ(window->tableModel()->rowCount(), rows);
  EXPECT_EQ(doc->recordController().arrangedIndexOf(added.get()), ArrayController::NotFound);
  EXPECT_EQ(editTitle("redo:"), QStringLiteral("&Redo Add Record"));
  EXPECT_EQ(editTitle("undo:"), QStringLiteral("(disabled) &Undo"));

  ASSERT_TRUE(window->perform(QStringLiteral("duplicateRow:")));
  GuiDriver::settle();
  EXPECT_EQ(window->tableModel()->rowCount(), rows + 1);
  EXPECT_EQ(editTitle("undo:"), QStringLiteral("&Undo Duplicate Record"));
}

TEST_F(RecordEditingWindowTest, DeletingAsksFirstAndCancelLeavesNothingToUndo) {
  const DictRef doomed = selected();
  const int rows = window->tableModel()->rowCount();
  ASSERT_TRUE(window->perform(QStringLiteral("deleteRow:")));
  GuiDriver::settle();
  QMessageBox* alert = GuiDriver::onlyAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->text(), QStringLiteral("Delete Selected Row?"));
  EXPECT_EQ(alert->informativeText(),
            QStringLiteral("The selected row will be removed from the document"));
  GuiDriver::snapshot(alert, QStringLiteral("delete-alert"));
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_EQ(window->tableModel()->rowCount(), rows);
  EXPECT_FALSE(doc->undoManager()->canUndo());
  EXPECT_FALSE(doc->isDocumentEdited());

  ASSERT_TRUE(window->perform(QStringLiteral("deleteRow:")));
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Delete")));
  EXPECT_EQ(window->tableModel()->rowCount(), rows - 1);
  EXPECT_EQ(doc->recordController().arrangedIndexOf(doomed.get()), ArrayController::NotFound);
  EXPECT_EQ(doc->undoManager()->undoActionName(), QStringLiteral("Delete Record"));
  EXPECT_TRUE(doc->isDocumentEdited());
  doc->undoManager()->undo();
  GuiDriver::settle();
  EXPECT_EQ(doc->recordController().arrangedObjects().back(), doomed);
}

// Reverting discards the edits with their history, as a lock does: after the next unlock no
// step of the discarded state brings its records back into the file's, and the texts the
// discarded state held, a deleted record's among them, are wiped.
TEST_F(RecordEditingWindowTest, RevertingClearsTheHistoryAndWipesWhatItDiscards) {
  const QString path = dir.filePath(QStringLiteral("Twenty.qvlt"));
  ASSERT_TRUE(doc->saveDocumentAs(path));
  std::weak_ptr<Dictionary> deleted;
  QString deletedName, shownPassword;  // the very characters of the records' texts
  {
    const DictRef doomed = selected();
    deleted = doomed;
    deletedName = doomed->value(RecordKeys::name()).toString();
    shownPassword = doc->myArray()->at(0).toDictionary()->value(RecordKeys::password()).toString();
  }
  ASSERT_FALSE(deletedName.isEmpty());
  const qsizetype nameLength = deletedName.size(), passwordLength = shownPassword.size();
  ASSERT_TRUE(window->perform(QStringLiteral("deleteRow:")));
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Delete")));
  ASSERT_EQ(doc->myArray()->count(), 19);
  ASSERT_TRUE(doc->undoManager()->canUndo());

  doc->revertDocumentToSaved();
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Revert")));
  ASSERT_TRUE(doc->isEncrypted());
  EXPECT_FALSE(doc->undoManager()->canUndo());
  EXPECT_TRUE(deleted.expired());
  EXPECT_EQ(deletedName, QString(nameLength, QChar(0)));
  EXPECT_EQ(shownPassword, QString(passwordLength, QChar(0)));
  EXPECT_TRUE(doc->plainPassword().isEmpty());

  QTest::keyClicks(window->passwordField(), VaultFixture::kPassword);
  QTest::keyClick(window->passwordField(), Qt::Key_Return);
  GuiDriver::settle();
  ASSERT_TRUE(doc->isDecrypted());
  EXPECT_EQ(doc->myArray()->count(), 20);
  EXPECT_EQ(editTitle("undo:"), QStringLiteral("(disabled) &Undo"));
  menuUndo();
  EXPECT_EQ(doc->myArray()->count(), 20);
  EXPECT_FALSE(doc->isDocumentEdited());

  ASSERT_TRUE(doc->saveDocument());
  MyDocument again;
  ASSERT_TRUE(again.readFromURL(path));
  again.setPlainPassword(VaultFixture::kPassword);
  ASSERT_EQ(again.Decript(), 0);
  EXPECT_EQ(again.myArray()->count(), 20);
}

TEST_F(RecordEditingWindowTest, CopiesFillTheClipboardCountOneUseAndShowTheirNotice) {
  struct Case {
    const char* action;
    bool clear;
    const char* expected;  // none: the record's value of key
    const char* key;
    const char* notice;  // none: no notice
    bool secret;
  };
  const Case cases[] = {
      {"copyCategory:", false, "Work", nullptr, nullptr, false},
      {"copyName:", false, nullptr, "name", "name copied", false},
      {"copyUrl:", false, nullptr, "url", "url copied", false},
      {"copyAccount:", false, nullptr, "account", "account copied", false},
      {"copyUserID:", false, nullptr, "userID", "user id copied", false},
      {"copyPassword:", false, "typed but not ended", nullptr, "password copied", true},
      {"copyPassword:", true, nullptr, "password", "password copied", true},
      {"copyPin:", false, nullptr, "pin", "pin copied", true},
      {"copySecurity:", true, nullptr, "security", "security copied", true},
      {"copyEmail:", false, nullptr, "email", "email copied", false},
      {"copyNote:", false, nullptr, "note", nullptr, false},
  };
  const DictRef record = selected();
  ASSERT_TRUE(record);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    if (window->showClearPassword() != c.clear) {
      ASSERT_TRUE(window->perform(QStringLiteral("switchShowClearPassword:")));
    }
    // Masked, what the field on screen holds is what goes.
    if (!c.clear && QLatin1String(c.action) == u"copyPassword:")
      window->detailView()->field(RecordKeys::password())->setText(QString::fromLatin1(c.expected));
    window->copyNotice()->hide();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const qint64 uses = record->value(RecordKeys::usageCount()).toInteger();
    ASSERT_TRUE(window->perform(QString::fromLatin1(c.action)));
    const QString expected = c.expected ? QString::fromLatin1(c.expected)
                                        : record->value(QString::fromLatin1(c.key)).toString();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->data(QString::fromLatin1(Pasteboard::kPasswordManagerHint)),
              c.secret ? QByteArrayLiteral("secret") : QByteArray());
    EXPECT_LE(record->value(RecordKeys::usageCount()).toInteger(), uses + 1);
    EXPECT_EQ(window->copyNotice()->isVisible(), c.notice != nullptr);
    if (c.notice) {
      EXPECT_EQ(window->copyNotice()->text(), QString::fromLatin1(c.notice));
    }
  }
  // One use for the whole selection, whatever was copied.
  EXPECT_EQ(record->value(RecordKeys::usageCount()).toInteger(), 1);
  EXPECT_NE(window->copyNotice()->focusPolicy(), Qt::StrongFocus);
}

// Showing another record wipes what the detail view's fields held. The texts that live on
// elsewhere are blocks of their own: the record's, what was typed into it, the clipboard's.
TEST_F(RecordEditingWindowTest, ShowingAnotherRecordKeepsTheTextsTheFieldsHeld) {
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  const DictRef first = selected();
  const QString url = SecureMemory::privateCopy(first->value(RecordKeys::url()).toString());
  const QString userID = SecureMemory::privateCopy(first->value(RecordKeys::userID()).toString());
  QLineEdit* name = window->detailView()->field(RecordKeys::name());
  name->setFocus();
  name->selectAll();
  QTest::keyClicks(name, QStringLiteral("Typed name"));
  window->detailView()->field(RecordKeys::userID())->CopyInClipboard(4);

  doc->recordController().setSelectionIndex(5);
  GuiDriver::settle();
  MainQueue::drain();
  ASSERT_NE(window->detailView()->record(), first);
  EXPECT_EQ(first->value(RecordKeys::name()).toString(), u"Typed name");
  EXPECT_EQ(first->value(RecordKeys::url()).toString(), url);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), userID);

  doc->recordController().setSelectionIndex(3);
  GuiDriver::settle();
  MainQueue::drain();
  EXPECT_EQ(name->text(), u"Typed name");
  EXPECT_EQ(window->detailView()->field(RecordKeys::url())->text(), url);
}

TEST_F(RecordEditingWindowTest, TheNoticeFollowsItsSettingsAndOneTimer) {
  defaults->setInteger(QStringLiteral("notifyHudTimer"), 1000);
  window->detailView()->field(RecordKeys::userID())->CopyInClipboard(4);
  EXPECT_EQ(window->copyNotice()->text(), QStringLiteral("user id copied"));
  EXPECT_EQ(GuiDriver::timerOf(window->copyNotice(), "hideTimer")->interval(), 3000);
  // A field's own copy with a code past the table copies and counts but shows nothing new.
  defaults->setInteger(QStringLiteral("notifyHudTimer"), 1);
  window->copyNotice()->hide();
  window->detailView()->field(RecordKeys::userID())->CopyInClipboard(10);
  EXPECT_FALSE(window->copyNotice()->isVisible());
  window->detailView()->field(RecordKeys::name())->CopyInClipboard(0);
  EXPECT_EQ(window->copyNotice()->text(), QStringLiteral("category copied"));
  EXPECT_EQ(GuiDriver::timerOf(window->copyNotice(), "hideTimer")->interval(), 300);
  EXPECT_TRUE(window->copyNotice()->isVisible());
  ASSERT_TRUE(GuiDriver::expireNow(GuiDriver::timerOf(window->copyNotice(), "hideTimer")));
  GuiDriver::settle();
  EXPECT_FALSE(window->copyNotice()->isVisible());

  defaults->setBool(QStringLiteral("useHudNotifyForCopy"), false);
  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(window->perform(QStringLiteral("copyName:")));
  EXPECT_FALSE(window->copyNotice()->isVisible());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), selected()->value(RecordKeys::name()).toString());
}

TEST_F(RecordEditingWindowTest, TheEmailSheetFeedsTheRecordsEmailMenu) {
  ASSERT_TRUE(window->perform(QStringLiteral("emailListSheet:")));
  GuiDriver::settle();
  EmailListSheet* sheet = window->findChild<EmailListSheet*>();
  ASSERT_TRUE(sheet && sheet->isVisible());
  QTest::mouseClick(sheet->addButton(), Qt::LeftButton);
  GuiDriver::settle();
  // The new entry opens for typing over its placeholder.
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("me@home.example"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTest::mouseClick(sheet->addButton(), Qt::LeftButton);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  GuiDriver::settle();
  EXPECT_EQ(window->emailList()->addresses(),
            QStringList({QStringLiteral("me@home.example"), EmailList::placeholderAddress()}));
  EXPECT_EQ(doc->emailArray()->count(), 2);
  EXPECT_EQ(sheet->listView()->model()->rowCount(), 2);
  EXPECT_TRUE(doc->isDocumentEdited());
  GuiDriver::snapshot(sheet, QStringLiteral("email-list-sheet"));
  QTest::mouseClick(sheet->deleteButton(), Qt::LeftButton);
  EXPECT_EQ(doc->emailArray()->count(), 1);
  EXPECT_EQ(doc->undoManager()->undoActionName(), QStringLiteral("Delete Email"));
  sheet->endSheet(Sheet::AbortReturn);
  GuiDriver::settle();

  // Chosen from the e-mail menu, an address edits the shown record like typing.
  const DictRef record = selected();
  const Value before = record->value(RecordKeys::modificationDate());
  window->detailView()->insertEmailFromPopup(QStringLiteral("me@home.example"));
  EXPECT_NE(record->value(RecordKeys::email()).toString(), QStringLiteral("me@home.example"))
      << "not while the record is read-only";
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  QMenu* menu = window->detailView()->emailPopupButton()->menu();
  Q_EMIT menu->aboutToShow();
  ASSERT_EQ(menu->actions().size(), 1);
  menu->actions().first()->trigger();
  MainQueue::drain();
  EXPECT_EQ(record->value(RecordKeys::email()).toString(), QStringLiteral("me@home.example"));
  EXPECT_NE(record->value(RecordKeys::modificationDate()).toDate(), before.toDate());
}

DictRef recordNamed(MyDocument& doc, const QString& name) {
  for (const Value& v : doc.myArray()->values())
    if (DictRef r = v.toDictionary(); r && r->value(RecordKeys::name()).toString() == name)
      return r;
  return {};
}

TEST_F(RecordEditingWindowTest, ThePhoneListHoldsTheNumbersOfTheRecordsShown) {
  const struct {
    const char* record;
    QString key;
    const char* text;
  } numbers[] = {
      {"Acme Bank", RecordKeys::note(), "Lost card: +1 800 555 0199"},
      {"Dentist", RecordKeys::account(), "030 9876543"},
      {"Electric", RecordKeys::userID(), "0171 2345678"},
      {"Electric", RecordKeys::pin(), "99887766"},  // a secret: never listed
  };
  for (const auto& n : numbers) {
    DictRef r = recordNamed(*doc, QString::fromLatin1(n.record));
    ASSERT_TRUE(r) << n.record;
    r->setValue(n.key, QString::fromLatin1(n.text));
  }
  const auto listed = [this] {
    QStringList out;
    EXPECT_TRUE(window->perform(QStringLiteral("phoneListSheet:")));
    GuiDriver::settle();
    PhoneListSheet* sheet = window->findChild<PhoneListSheet*>();
    if (!sheet || !sheet->isSheetRunning()) {
      ADD_FAILURE() << "no phone list sheet";
      return out;
    }
    // The window's commands wait for the sheet.
    EXPECT_FALSE(window->command(QStringLiteral("addRow:"))->isEnabled());
    const QAbstractItemModel* model = sheet->tableView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < model->columnCount(); ++column)
        cells << model->index(row, column).data().toString();
      out << cells.join(QLatin1Char('|'));
    }
    EXPECT_EQ(sheet->emptyLabel()->isVisible(), out.isEmpty());
    EXPECT_EQ(sheet->tableView()->isVisible(), !out.isEmpty());
    GuiDriver::snapshot(sheet, QStringLiteral("phone-list-%1").arg(out.size()));
    QTest::mouseClick(sheet->closeButton(), Qt::LeftButton);
    GuiDriver::settle();
    // The toolbar's buttons come back with the window.
    EXPECT_TRUE(window->command(QStringLiteral("addRow:"))->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->findChild<PhoneListSheet*>()) << "gone with its texts";
    return out;
  };
  EXPECT_EQ(listed(), QStringList({QStringLiteral("Acme Bank|+1 800 555 0199|Note"),
                                   QStringLiteral("Dentist|030 9876543|Account"),
                                   QStringLiteral("Electric|0171 2345678|User ID")}));
  // Only what the table shows, in its order.
  window->toolbarSearchField()->setFocus();
  QTest::keyClicks(window->toolbarSearchField(), QStringLiteral("Dentist"));
  GuiDriver::settle();
  ASSERT_EQ(window->tableModel()->rowCount(), 1);
  EXPECT_EQ(listed(), QStringList({QStringLiteral("Dentist|030 9876543|Account")}));
  window->toolbarSearchField()->clear();
  QTest::keyClicks(window->toolbarSearchField(), QStringLiteral("Mailbox"));
  GuiDriver::settle();
  ASSERT_EQ(window->tableModel()->rowCount(), 1);
  EXPECT_EQ(listed(), QStringList());
}

TEST_F(RecordEditingWindowTest, ScrollingToTheLastRecordShowsItAtTheTablesLeftEdge) {
  for (int i = 0; i < 40; ++i) VaultFixture::addRecord(*doc, QStringLiteral("Extra %1").arg(i), {});
  window->resize(700, 400);  // columns wider than the table, rows taller
  ASSERT_TRUE(window->perform(QStringLiteral("setColumnVisibilityAll:")));
  GuiDriver::settle();
  QTableView* table = window->tableView();
  QScrollBar* down = table->verticalScrollBar();
  QScrollBar* across = table->horizontalScrollBar();
  ASSERT_GT(down->maximum(), 0);
  ASSERT_GT(across->maximum(), 0);
  down->setValue(0);
  across->setValue(across->maximum());
  ASSERT_TRUE(window->perform(QStringLiteral("scrollListViewToBottom:")));
  GuiDriver::settle();
  EXPECT_EQ(down->value(), down->maximum());
  EXPECT_EQ(across->value(), across->minimum());
  const QModelIndex last = table->model()->index(table->model()->rowCount() - 1, 0);
  EXPECT_TRUE(table->viewport()->rect().contains(table->visualRect(last).center()));
  // The View menu offers it.
  QMenu* view = GuiDriver::menuOf(window->menuBar(), QStringLiteral("&View"));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->actions().contains(window->command(QStringLiteral("scrollListViewToBottom:"))));
}

// Deleting is offered for a selected record of an unlocked document, by the document's own
// decision; the add command takes its record from the document, which adds it to no list.
TEST_F(RecordEditingWindowTest, TheDocumentDecidesDeletingAndMakesTheNewRecord) {
  const struct {
    const char* what;
    bool select;
    bool lock;
    bool enabled;
  } cases[] = {
      {"a record selected", true, false, true},
      {"nothing selected", false, false, false},
      {"locked with a selection", true, true, false},
  };
  for (const auto& c : cases) {
    MyDocument other;
    other.setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(other);
    if (c.select)
      other.recordController().setSelectionIndex(2);
    else
      other.recordController().setSelectionIndexes({});
    if (c.lock) other.setIsEncrypted(true);
    EXPECT_EQ(other.deleteRowShouldBeEnabled(), c.enabled) << c.what;
    EXPECT_EQ(other.validateUserInterfaceItem(UserInterfaceItem{QStringLiteral("deleteRow:"), 0}),
              c.enabled)
        << c.what;
    if (c.lock) other.setIsEncrypted(false);
  }

  const auto members = [this] {
    qint64 sum = 0;
    for (const Value& v : doc->myCategoryArray()->values())
      if (DictRef c = v.toDictionary())
        sum += c->value(CategoryKeys::howManyUsingThis()).toInteger();
    return sum;
  };
  const qsizetype records = doc->myArray()->count();
  const qint64 counted = members();
  const DictRef fresh = doc->newObject();
  ASSERT_TRUE(fresh);
  EXPECT_EQ(doc->myArray()->count(), records);
  EXPECT_EQ(doc->recordController().arrangedIndexOf(fresh.get()), ArrayController::NotFound);
  EXPECT_EQ(members(), counted);
  EXPECT_TRUE(fresh->value(RecordKeys::categoryPtr()).toDictionary());
  EXPECT_EQ(fresh->value(RecordKeys::name()).toString(), QString());
  EXPECT_FALSE(doc->isDocumentEdited());
}

TEST_F(RecordEditingWindowTest, PrintingToPdfCutsTheTableIntoWholeRowPages) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(36, 36, 36, 36), QPageLayout::Point));
  // A hundred rows more than the twenty.
  for (int i = 0; i < 100; ++i)
    VaultFixture::addRecord(*doc, QStringLiteral("Extra %1").arg(i), {});
  GuiDriver::settle();
  const TablePrinter printing(window->tableView());
  const TablePagination pages = printing.paginate(printer.pageLayout());
  const int perPage = int(pages.printHeight / pages.rowStep);
  ASSERT_GT(perPage, 0);
  EXPECT_EQ(pages.pageCount, (120 + perPage - 1) / perPage);

  const QString path = dir.filePath(QStringLiteral("table.pdf"));
  printer.setOutputFileName(path);
  ASSERT_TRUE(printing.print(&printer));
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
  EXPECT_EQ(QString::fromLatin1(bytes).count(pageObject), pages.pageCount);
  // Secrets print as the table shows them: masked.
  EXPECT_FALSE(window->tableModel()->showsSecrets());

  const QImage first = printing.renderPage(printer.pageLayout(), 1, 1.5);
  EXPECT_FALSE(first.isNull());
  if (const QString folder = qEnvironmentVariable("QV_SCREENSHOTS"); !folder.isEmpty()) {
    first.save(folder + QStringLiteral("/printed-page.png"));
    printing.renderPage(printer.pageLayout(), 1, 3.0)
        .save(folder + QStringLiteral("/printed-page@2x.png"));
  }

  // An empty table prints nothing and says so without failing.
  doc->recordController().setContent(Array::create());
  EXPECT_EQ(printing.paginate(printer.pageLayout()).pageCount, 0);
}

TEST_F(RecordEditingWindowTest, APdfPrintedToAFileIsTheOwnersAloneFromItsFirstByte) {
  const struct {
    const char* name;
    std::optional<mode_t> existing;  // the mode of a file already there
  } cases[] = {{"new file", std::nullopt},
               {"over a 0644 file", 0644u},
               {"over a 0666 file", 0666u},
               {"over a 0600 file", 0600u}};
  const TablePrinter printing(window->tableView());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("records.pdf"));
    if (c.existing) {
      QFile old(path);
      ASSERT_TRUE(old.open(QIODevice::WriteOnly));
      old.write("an older print");
      old.close();
      ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), *c.existing), 0);
    }
    // While the print is not yet in place, what it wrote is the owner's alone.
    std::vector<QFileDevice::Permissions> beingWritten;
    AtomicFile::setBeforeCommitHook([&] {
      for (const QFileInfo& entry :
           QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        if (entry.fileName() != u"records.pdf") beingWritten.push_back(entry.permissions());
      return true;
    });
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const bool printed = printing.print(&printer);
    AtomicFile::setBeforeCommitHook({});
    ASSERT_TRUE(printed);
    EXPECT_EQ(printer.outputFileName(), path);
    ASSERT_EQ(beingWritten.size(), 1u);
    EXPECT_EQ(beingWritten.front() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::Permissions());
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("records.pdf")});
  }

  // A file that cannot be written fails the print and leaves nothing.
  QTemporaryDir folder;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(folder.filePath(QStringLiteral("missing/records.pdf")));
  EXPECT_FALSE(printing.print(&printer));
  EXPECT_TRUE(QDir(folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .isEmpty());
}

TEST_F(RecordEditingWindowTest, DropsOnTheDetailViewBecomeTheShownRecordsUrl) {
  const DictRef record = selected();
  ZVDragDropViewFileUrl* area = window->detailView()->dropArea();
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  ASSERT_TRUE(area->acceptDrops());
  const QString file = dir.filePath(QStringLiteral("a file.pdf"));
  QFile(file).open(QIODevice::WriteOnly);
  // What a drag offers, and whether the area takes it.
  const auto drop = [&](QMimeData* data, Qt::DropActions actions) {
    const QPoint at = area->rect().center();
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &enter);
    const bool taken = enter.isAccepted();
    const bool lit = area->hilited();
    if (taken) {
      QDropEvent dropped(at, actions, data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(area, &dropped);
    } else {
      QDragLeaveEvent leave;
      QApplication::sendEvent(area, &leave);
    }
    GuiDriver::settle();
    EXPECT_FALSE(area->hilited());
    EXPECT_EQ(lit, taken);
    delete data;
    return taken;
  };
  const auto urls = [](std::initializer_list<QUrl> list) {
    auto* data = new QMimeData;
    data->setUrls(QList<QUrl>(list));
    return data;
  };
  const auto text = [](const QString& t) {
    auto* data = new QMimeData;
    data->setText(t);
    return data;
  };

  EXPECT_TRUE(drop(urls({QUrl(QStringLiteral("https://bank.example/login"))}), Qt::LinkAction));
  EXPECT_EQ(record->value(RecordKeys::url()).toString(),
            QStringLiteral("https://bank.example/login"));
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_NE(record->value(RecordKeys::modificationDate()).toDate(),
            Date{700000000.0 + 3 * 86400.0});
  EXPECT_EQ(window->detailView()->field(RecordKeys::url())->text(),
            QStringLiteral("https://bank.example/login"));

  EXPECT_TRUE(drop(urls({QUrl::fromLocalFile(file)}), Qt::CopyAction));
  EXPECT_EQ(record->value(RecordKeys::url()).toString(), QStringLiteral("file://") + file);

  // A path that is not there, a long text and a move-only drag change nothing.
  EXPECT_TRUE(
      drop(urls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone")))}), Qt::LinkAction));
  EXPECT_FALSE(
      drop(text(QStringLiteral("http://x.example/") + QString(9000, u'a')), Qt::CopyAction));
  EXPECT_FALSE(drop(urls({QUrl(QStringLiteral("http://other.example"))}), Qt::MoveAction));
  EXPECT_EQ(record->value(RecordKeys::url()).toString(), QStringLiteral("file://") + file);

  // A folder is refused with a sheet.
  EXPECT_TRUE(drop(urls({QUrl::fromLocalFile(dir.path())}), Qt::LinkAction));
  EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QStringLiteral("Can't Accept a Directory Here")});
  GuiDriver::closeAllAlerts();
  EXPECT_EQ(record->value(RecordKeys::url()).toString(), QStringLiteral("file://") + file);

  // Read-only, the view takes no drop, as none of its fields takes typing: whatever reaches
  // it changes neither the record nor the document, and a folder brings no sheet.
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  EXPECT_FALSE(area->acceptDrops());
  doc->updateChangeCount(ChangeCounting::ChangeCleared);
  const Date stamp = record->value(RecordKeys::modificationDate()).toDate();
  drop(urls({QUrl(QStringLiteral("https://elsewhere.example"))}), Qt::LinkAction);
  drop(urls({QUrl::fromLocalFile(file)}), Qt::CopyAction);
  drop(urls({QUrl::fromLocalFile(dir.path())}), Qt::LinkAction);
  EXPECT_EQ(record->value(RecordKeys::url()).toString(), QStringLiteral("file://") + file);
  EXPECT_EQ(window->detailView()->field(RecordKeys::url())->text(),
            QStringLiteral("file://") + file);
  EXPECT_EQ(record->value(RecordKeys::modificationDate()).toDate(), stamp);
  EXPECT_FALSE(doc->isDocumentEdited());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
}

// However a sheet or an alert of the window ends, by any of its buttons or by Escape, the
// toolbar and Add Record show what they showed before it opened: the commands waited for it
// and follow the document again.
TEST_F(RecordEditingWindowTest, EverySheetAndAlertGivesTheWindowBackItsCommands) {
  ZVUrlResolutor::sharedUrlResolutor().setOpener([](const QUrl&) { return true; });
  const QString folder = dir.path();
  const auto command = [this](const char* selector) {
    return [this, selector] { ASSERT_TRUE(window->perform(QString::fromLatin1(selector))); };
  };
  const auto dropFolder = [this, folder] {
    ZVDragDropViewFileUrl* area = window->detailView()->dropArea();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDropEvent dropped(area->rect().center(), Qt::LinkAction, &data, Qt::LeftButton,
                       Qt::NoModifier);
    QDragEnterEvent enter(area->rect().center(), Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(area, &enter);
    QApplication::sendEvent(area, &dropped);
  };
  const auto withoutUserID = [this] {
    selected()->setValue(RecordKeys::userID(), QString());
    ASSERT_TRUE(window->perform(QStringLiteral("pushAndPull:")));
  };
  const auto missingFile = [this] {
    selected()->setValue(RecordKeys::url(),
                         QStringLiteral("file://") + dir.filePath(QStringLiteral("gone.pdf")));
    ASSERT_TRUE(window->perform(QStringLiteral("openUrl:")));
  };
  const QString escape = QStringLiteral("Escape");
  const struct {
    const char* what;
    std::function<void()> open;
    QStringList endings;  // button titles, or Escape
  } cases[] = {
      {"e-mail list", command("emailListSheet:"), {QStringLiteral("Close"), escape}},
      {"phone list", command("phoneListSheet:"), {QStringLiteral("Close"), escape}},
      {"categories", command("editCategoriesSheet:"), {QStringLiteral("Close"), escape}},
      {"push and pull help", command("showPushAndPullHelp:"), {QStringLiteral("Close"), escape}},
      {"delete",
       command("deleteRow:"),
       {QStringLiteral("Delete"), QStringLiteral("Cancel"), escape}},
      {"no user ID", withoutUserID, {QStringLiteral("OK"), QStringLiteral("Cancel"), escape}},
      {"file not opened", missingFile, {QStringLiteral("OK"), escape}},
      {"folder dropped", dropFolder, {QStringLiteral("OK"), escape}},
      {"change password", [this] { doc->documentPassword(); }, {QStringLiteral("Cancel"), escape}},
  };
  // What the toolbar's buttons and Add Record show: enabled, and marked where they toggle.
  const auto states = [this] {
    QStringList out;
    QList<QAction*> shown = window->toolbar()->actions();
    shown << window->command(QStringLiteral("addRow:"));
    for (QAction* a : shown)
      if (!a->text().isEmpty())
        out << a->text() + (a->isEnabled() ? QStringLiteral(" on") : QStringLiteral(" off")) +
                   (a->isCheckable() && a->isChecked() ? QStringLiteral(" marked") : QString());
    out << (window->toolbarSearchField()->isEnabled() ? QStringLiteral("search on")
                                                      : QStringLiteral("search off"));
    out << (window->categoryMenu()->isEnabled() ? QStringLiteral("categories on")
                                                : QStringLiteral("categories off"));
    return out;
  };
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  for (const auto& c : cases)
    for (const QString& ending : c.endings) {
      SCOPED_TRACE(std::string(c.what) + " ended by " + ending.toStdString());
      // Each case from the window's own state, whatever the one before it left.
      doc->recordController().setSelectionIndex(3);
      GuiDriver::settle();
      window->refreshCommands();
      const QStringList before = states();
      ASSERT_TRUE(before.contains(u"&Edit Content on marked")) << before.join(u", ").toStdString();
      c.open();
      GuiDriver::settle();
      QDialog* up = nullptr;
      for (QDialog* d : window->findChildren<QDialog*>())
        if (d->isVisible()) up = d;
      ASSERT_NE(up, nullptr);
      if (ending == escape) {
        QTest::keyClick(up, Qt::Key_Escape);
      } else {
        QAbstractButton* button = nullptr;
        for (QAbstractButton* b : up->findChildren<QAbstractButton*>())
          if (b->isVisible() && b->text().remove(u'&') == ending) button = b;
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
      }
      GuiDriver::settle();
      MainQueue::drain();
      GuiDriver::settle();
      for (QDialog* d : window->findChildren<QDialog*>()) EXPECT_FALSE(d->isVisible());
      EXPECT_EQ(states(), before);
    }
  ZVUrlResolutor::sharedUrlResolutor().setOpener({});
}

// The detail view's category menu moves the shown record (counts, stamp, edited document) and
// is open only while editing; the label copies its title plainly.
TEST_F(RecordEditingWindowTest, ASecretShownInClearIsMarkedSecretWhenItsFieldCopiesOrCutsIt) {
  const struct {
    const char* key;
    Qt::Key pressed;  // with Ctrl: C copies, X cuts
    bool secret;
    bool emptied;  // cut from the field
  } cases[] = {{"password", Qt::Key_C, true, false},
               {"pin", Qt::Key_X, true, true},
               {"name", Qt::Key_C, false, false},
               {"name", Qt::Key_X, false, true}};
  ASSERT_TRUE(window->perform(QStringLiteral("switchShowClearPassword:")));
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  GuiDriver::settle();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + (c.pressed == Qt::Key_X ? " cut" : " copied"));
    QLineEdit* field = window->detailView()->field(QString::fromLatin1(c.key));
    ASSERT_EQ(field->echoMode(), QLineEdit::Normal);
    const QString value = SecureMemory::privateCopy(field->text());
    ASSERT_FALSE(value.isEmpty());
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(field, c.pressed, Qt::ControlModifier);
    GuiDriver::settle();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), value);
    EXPECT_EQ(data->data(QString::fromLatin1(Pasteboard::kPasswordManagerHint)),
              c.secret ? QByteArrayLiteral("secret") : QByteArray());
    EXPECT_EQ(field->text(), c.emptied ? QString() : value);
    if (c.emptied) QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);  // put it back
  }
}

TEST_F(RecordEditingWindowTest, TheCategoryMenuMovesTheShownRecordAndTheLabelCopiesItsTitle) {
  const DictRef record = selected();
  ASSERT_TRUE(record);
  const DictRef from = record->value(RecordKeys::categoryPtr()).toDictionary();
  ASSERT_TRUE(from);
  const QString target = from->value(CategoryKeys::category()).toString() == u"Work"
                             ? QStringLiteral("Mail")
                             : QStringLiteral("Work");
  const DictRef to = doc->categoryController().categoryWithTitle(target);
  ASSERT_TRUE(to);
  const qsizetype fromCount = CategoryMembers::of(*from)->count();
  const qsizetype toCount = CategoryMembers::of(*to)->count();
  const Date before = record->value(RecordKeys::modificationDate()).toDate();

  QToolButton* popup = window->detailView()->categoryPopupButton();
  EXPECT_FALSE(popup->isEnabled());
  ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
  EXPECT_TRUE(popup->isEnabled());
  // The titles of the items marked when the menu opens: the shown record's category alone.
  const auto marked = [popup] {
    Q_EMIT popup->menu()->aboutToShow();
    QStringList out;
    for (QAction* a : popup->menu()->actions())
      if (a->isChecked()) out << a->text();
    return out;
  };
  EXPECT_EQ(marked(), QStringList{from->value(CategoryKeys::category()).toString()});
  QAction* choice = nullptr;
  for (QAction* a : popup->menu()->actions())
    if (a->text() == target) choice = a;
  ASSERT_NE(choice, nullptr);
  choice->trigger();
  GuiDriver::settle();
  EXPECT_EQ(marked(), QStringList{target});
  EXPECT_EQ(record->value(RecordKeys::categoryPtr()).toDictionary(), to);
  EXPECT_EQ(CategoryMembers::of(*from)->count(), fromCount - 1);
  EXPECT_EQ(CategoryMembers::of(*to)->count(), toCount + 1);
  EXPECT_GT(record->value(RecordKeys::modificationDate()).toDate().sinceReferenceDate,
            before.sinceReferenceDate);
  EXPECT_TRUE(doc->isDocumentEdited());

  const qint64 uses = record->value(RecordKeys::usageCount()).toInteger();
  QGuiApplication::clipboard()->clear();
  window->detailView()->categoryView()->CopyInClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), target);
  EXPECT_EQ(record->value(RecordKeys::usageCount()).toInteger(), uses);
  EXPECT_FALSE(window->findChild<CopyNotice*>()->isVisible());
}

TEST_F(RecordEditingWindowTest, Screenshots) {
  ASSERT_TRUE(window->perform(QStringLiteral("copyPassword:")));
  GuiDriver::settle();
  GuiDriver::snapshot(window, QStringLiteral("copy-notice"));
}

}  // namespace
