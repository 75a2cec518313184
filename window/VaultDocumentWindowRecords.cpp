// The document window's record commands: adding, duplicating and deleting records with undo,
// and copying a field of the selected record with its notice.
#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>

#include "Common/ZVDragDropView.h"
#include "Common/ZVTextFieldExt.h"
#include "platform/Alert.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/CopiedField.h"
#include "window/CopyNotice.h"
#include "window/EmailList.h"
#include "window/EmailListSheet.h"
#include "window/PhoneListSheet.h"
#include "window/RecordDetailView.h"
#include "window/RecordEditor.h"
#include "window/RecordSearchController.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/SecureLineEdit.h"
#include "window/TablePrinter.h"
#include "window/TextViewDelegate.h"
#include "window/VaultDocumentWindow.h"

namespace {
const std::pair<const char*, const char*> kCopyTitles[] = {
    {"copyCategory:", "Cate&gory"}, {"copyName:", "Na&me"},         {"copyUrl:", "&Url"},
    {"copyAccount:", "&Account"},   {"copyUserID:", "User &ID"},    {"copyPassword:", "&Password"},
    {"copyPin:", "Pi&n"},           {"copySecurity:", "Securi&ty"}, {"copyEmail:", "&Email"},
    {"copyNote:", "N&ote"}};
}  // namespace

void VaultDocumentWindow::buildRecordCommands() {
  editor_ = new RecordEditor(document_->recordController(), document_->categoryController(),
                             *document_->undoManager(), *document_, this);
  connect(editor_, &RecordEditor::recordAdded, this, [this](const DictRef& record) {
    const qsizetype row = document_->recordController().arrangedIndexOf(record.get());
    if (row != ArrayController::NotFound) table_->scrollTo(model_->index(int(row), 0));
  });
  emails_ = new EmailList(*document_->undoManager(), *document_, this);
  detail_->setEmailAddressSource([this] {
    emails_->setContent(document_->emailArray());
    return emails_->addresses();
  });
  detail_->setCategorySource([this] { return categoryPopupItems(); });
  connect(detail_, &RecordDetailView::categoryChosen, this, &VaultDocumentWindow::categoryWasSet);
  connect(detail_->dropArea(), &ZVDragDropViewFileUrl::myFilePathDroppedChanged, this,
          &VaultDocumentWindow::setFileToOpen);
  connect(detail_->dropArea(), &ZVDragDropViewFileUrl::myUrlPathDroppedChanged, this,
          &VaultDocumentWindow::setUrlToOpen);
  copyNotice_ = new CopyNotice(this);
  copyNotice_->setObjectName(QStringLiteral("hud"));
  textViewDelegate_ = new TextViewDelegate(document_, copyNotice_, defaults_, this);
  connect(detail_, &RecordDetailView::textDidChange, textViewDelegate_,
          &TextViewDelegate::textDidChange);
  connect(detail_, &RecordDetailView::controlTextDidChange, textViewDelegate_,
          &TextViewDelegate::controlTextDidChange);
  connect(detail_, &RecordDetailView::textCopiedInClipboard, textViewDelegate_,
          &TextViewDelegate::textCopiedInClipboard);
  connect(detail_, &RecordDetailView::urlNotOpened, this, &VaultDocumentWindow::alertUrlNotOpened);

  QAction* add = addCommand(
      QStringLiteral("&Add Record"), QStringLiteral("addRow:"), [this] { addRow(); },
      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
  add->setIcon(QIcon::fromTheme(QStringLiteral("list-add")));
  addCommand(
      QStringLiteral("D&uplicate Record"), QStringLiteral("duplicateRow:"),
      [this] { duplicateRow(); }, QKeySequence(Qt::CTRL | Qt::Key_D));
  QAction* remove = addCommand(
      QStringLiteral("&Delete Record…"), QStringLiteral("deleteRow:"), [this] { deleteRow(); },
      QKeySequence::Delete);
  // Delete in the table only: text fields keep the key for themselves.
  remove->setShortcutContext(Qt::WidgetShortcut);
  table_->addAction(remove);
  remove->setIcon(QIcon::fromTheme(QStringLiteral("list-remove")));
  addCommand(QStringLiteral("E-&mail Addresses…"), QStringLiteral("emailListSheet:"),
             [this] { emailListSheet(); });
  addCommand(QStringLiteral("Phone &List…"), QStringLiteral("phoneListSheet:"),
             [this] { phoneListSheet(); });
  addCommand(QStringLiteral("&Scroll to Last Record"), QStringLiteral("scrollListViewToBottom:"),
             [this] { scrollListViewToBottom(); });
  addCommand(
      QStringLiteral("Prin&t…"), QStringLiteral("printDocument:"), [this] { printDocument(); },
      QKeySequence::Print);
  addCommand(QStringLiteral("Page Set&up…"), QStringLiteral("runPageLayout:"),
             [this] { runPageLayout(); });
  for (const auto& [action, title] : kCopyTitles) {
    const QString selector = QString::fromLatin1(action);
    QAction* copy =
        addCommand(QString::fromUtf8(title), selector, [this, selector] { copyField(selector); });
    if (selector == u"copyPassword:")
      copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  }
}

void VaultDocumentWindow::addRecordMenuTo(QMenuBar* bar, QAction* before) {
  auto* menu = new QMenu(QStringLiteral("&Record"), bar);
  for (const char* a : {"addRow:", "duplicateRow:", "deleteRow:"})
    menu->addAction(command(QString::fromLatin1(a)));
  menu->addSeparator();
  QMenu* copies = menu->addMenu(QStringLiteral("&Copy"));
  for (const auto& [action, title] : kCopyTitles)
    copies->addAction(command(QString::fromLatin1(action)));
  menu->addSeparator();
  menu->addAction(command(QStringLiteral("emailListSheet:")));
  menu->addAction(command(QStringLiteral("phoneListSheet:")));
  menu->addSeparator();
  for (const char* a : {"openUrl:", "pushAndPull:", "showPushAndPullHelp:"})
    menu->addAction(command(QString::fromLatin1(a)));
  bar->insertMenu(before, menu);
  // Printing goes in the File menu, above Quit.
  for (QAction* top : bar->actions())
    if (top->menu() && top->text() == u"&File") {
      QAction* quit = nullptr;
      for (QAction* a : top->menu()->actions())
        if (a->property("qvSelector").toString() == u"terminate:") quit = a;
      const QList<QAction*> items = top->menu()->actions();
      QAction* at = quit && items.indexOf(quit) > 0 ? items[items.indexOf(quit) - 1] : quit;
      top->menu()->insertActions(at, {command(QStringLiteral("runPageLayout:")),
                                      command(QStringLiteral("printDocument:"))});
      top->menu()->insertSeparator(at);
      connect(top->menu(), &QMenu::aboutToShow, this, &VaultDocumentWindow::refreshCommands);
    }
  connect(menu, &QMenu::aboutToShow, this, &VaultDocumentWindow::refreshCommands);
  connect(copies, &QMenu::aboutToShow, this, &VaultDocumentWindow::refreshCommands);
}

void VaultDocumentWindow::emailListSheet() {
  if (!document_ || !document_->isDecrypted()) return;
  emails_->setContent(document_->emailArray());
  auto* sheet = new EmailListSheet(emails_, this);
  sheet->beginSheet(this, [sheet](int) { sheet->deleteLater(); });
}

void VaultDocumentWindow::phoneListSheet() {
  if (!document_ || !document_->isDecrypted()) return;
  auto* sheet =
      new PhoneListSheet(PhoneList::rowsFor(document_->recordController().arrangedObjects()), this);
  sheet->beginSheet(this, [sheet](int) { sheet->deleteLater(); });
}

void VaultDocumentWindow::scrollListViewToBottom() {
  table_->scrollToBottom();
  table_->horizontalScrollBar()->setValue(table_->horizontalScrollBar()->minimum());
}

QPrinter& VaultDocumentWindow::printer() {
  if (!printer_) printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void VaultDocumentWindow::printDocument() {
  QPrintDialog dialog(&printer(), this);
  dialog.setWindowTitle(QStringLiteral("Print %1").arg(document_->displayName()));
  if (dialog.exec() != QDialog::Accepted) return;
  if (!TablePrinter(table_).print(&printer()))
    QMessageBox::warning(this, QStringLiteral("Printing Failed"),
                         QStringLiteral("The printer could not be started."));
}

void VaultDocumentWindow::runPageLayout() {
  QPageSetupDialog dialog(&printer(), this);
  pageLayoutDidEnd(dialog.exec());
}

void VaultDocumentWindow::pageLayoutDidEnd(int /*returnCode*/) {}

void VaultDocumentWindow::setFileToOpen(const QString& path) {
  if (!isEditable_) return;
  const QFileInfo info(path);
  if (!info.exists()) return;
  if (info.isDir()) {
    openAlertPanelCantDropDirectoryHere();
    return;
  }
  setUrlToOpen(QStringLiteral("file://") + path);
}

void VaultDocumentWindow::openAlertPanelCantDropDirectoryHere() {
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = QStringLiteral("Can't Accept a Directory Here");
  alert.informativeText = QStringLiteral(
      "You dropped here a directory.\nYou can only drop here a file to open it via Quorlith "
      "with the open button");
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.beginSheetModalForWindow(this, [](int) {});
}

void VaultDocumentWindow::setUrlToOpen(const QString& url) {
  const DictRef record = detail_->record();
  if (!document_ || !document_->isDecrypted() || !record || !isEditable_) return;
  QString previous = record->value(RecordKeys::url()).toString();
  record->setValue(RecordKeys::url(), Value::mutableString(url));
  SecureMemory::release(previous);
  record->setValue(RecordKeys::modificationDate(), Date::now());
  document_->recordController().noteObjectChanged(record.get());
  document_->updateChangeCount(ChangeCounting::ChangeDone);
  SecureLineEdit::clear(detail_->field(RecordKeys::url()));
  detail_->field(RecordKeys::url())->setText(SecureMemory::privateCopy(url));
  detail_->refreshStamps();
}

std::vector<DictRef> VaultDocumentWindow::categoryPopupItems() {
  categoryPopupItems_.clear();
  if (!document_ || document_->isEncrypted()) return categoryPopupItems_;
  for (const Value& v : document_->categoryController().content()->values())
    if (DictRef category = v.toDictionary()) categoryPopupItems_.push_back(std::move(category));
  return categoryPopupItems_;
}

void VaultDocumentWindow::categoryWasSet(int index) {
  if (!document_ || document_->isEncrypted() || !isEditable_) return;
  if (index < 0 || std::size_t(index) >= categoryPopupItems_.size()) return;
  const DictRef record = detail_->record();
  FilteringArrayController& records = document_->recordController();
  const std::vector<DictRef> selected = records.selectedObjects();
  if (!record || selected.empty() || selected.front() != record) return;
  executePostCategorySet(categoryPopupItems_[std::size_t(index)]);
  document_->updateChangeCount(ChangeCounting::ChangeDone);
  record->setValue(RecordKeys::modificationDate(), Date::now());
  records.noteObjectChanged(record.get());
  detail_->setRecord(record);
}

void VaultDocumentWindow::executePostCategorySet(const DictRef& category) {
  if (document_) document_->recordController().setCurrentObjectAccordingToCategory(category);
}

void VaultDocumentWindow::addRow() {
  if (!document_ || !document_->isDecrypted()) return;
  // A search or category in force could hide the new record.
  search_->showAllAndResetFilter();
  editor_->addTheRecord(document_->newObject());
  isEditable_ = true;
  detail_->setEditable(true);
  QPointer<VaultDocumentWindow> self(this);
  MainQueue::defer([self] {
    if (self) self->perform(QStringLiteral("makeNameFieldFirstResponder:"));
  });
}

void VaultDocumentWindow::duplicateRow() {
  if (!document_ || !document_->isDecrypted()) return;
  FilteringArrayController& records = document_->recordController();
  if (!records.canRemove()) return;
  editor_->duplicateTheRecord(records.duplicateSelection());
}

void VaultDocumentWindow::deleteRow() {
  if (!document_ || !document_->deleteRowShouldBeEnabled()) return;
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = QStringLiteral("Delete Selected Row?");
  alert.informativeText = QStringLiteral("The selected row will be removed from the document");
  alert.addButtonWithTitle(QStringLiteral("Delete"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<VaultDocumentWindow> self(this);
  alert.beginSheetModalForWindow(this, [self](int answer) {
    if (!self || !self->document_ || answer != Alert::FirstButtonReturn) return;
    if (!self->document_->deleteRowShouldBeEnabled()) return;
    const std::vector<DictRef> selected = self->document_->recordController().selectedObjects();
    if (selected.empty()) return;
    self->editor_->deleteTheRecord(selected.back());
  });
}

void VaultDocumentWindow::copyField(const QString& action) {
  const CopiedField::Copy* copy = CopiedField::forAction(action);
  if (!copy || !document_ || !document_->isDecrypted()) return;
  const std::vector<DictRef> selected = document_->recordController().selectedObjects();
  if (selected.empty()) return;
  textViewDelegate_->increaseUsageOfRow();
  // The record whose use was counted, the one the detail view shows.
  const DictRef& record = selected.back();
  QString text;
  if (copy->key == RecordKeys::categoryPtr()) {
    if (const Dictionary* category = record->value(copy->key).dictionaryPointer())
      text = category->value(CategoryKeys::category()).toString();
  } else if (copy->secret && !showClearPassword_ && detail_->record() == record) {
    // Masked, the field on screen holds what the user sees, typing not yet ended included.
    text = detail_->field(copy->key)->text();
  } else {
    text = record->value(copy->key).toString();
  }
  Pasteboard::putString(text, copy->secret, this);
  if (copy->noticeTag) textViewDelegate_->doNotifyValueWasCopied(*copy->noticeTag);
}
