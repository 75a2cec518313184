// The document window's way to a record's web site: opening its address, and push and pull,
// which leaves the password with the application's pull item, copies the user ID and opens
// the address.
#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "Common/ZVNetValidator.h"
#include "Common/ZVUrlResolutor.h"
#include "platform/Alert.h"
#include "platform/Sheet.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/TextViewDelegate.h"
#include "window/VaultDocumentWindow.h"

namespace {

VaultDocumentWindow::PasswordPuller& puller() {
  static VaultDocumentWindow::PasswordPuller shared;
  return shared;
}

// A user ID of spaces only counts as none, for the clipboard and the address alike.
bool hasUserID(const Dictionary& record) {
  return !ZVNetValidator::trimSpaces(record.value(RecordKeys::userID()).toString()).isEmpty();
}

}  // namespace

void VaultDocumentWindow::setPasswordPuller(PasswordPuller newPuller) {
  puller() = std::move(newPuller);
}

void VaultDocumentWindow::buildPushPullCommands() {
  addCommand(
      QStringLiteral("&Open URL"), QStringLiteral("openUrl:"), [this] { openUrl(); },
      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U));
  addCommand(
      QStringLiteral("Push and &Pull"), QStringLiteral("pushAndPull:"), [this] { pushAndPull(); },
      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  addCommand(QStringLiteral("Push and Pull &Help…"), QStringLiteral("showPushAndPullHelp:"),
             [this] { showPushAndPullHelp(); });
}

void VaultDocumentWindow::openUrl() {
  if (!document_ || !document_->isDecrypted()) return;
  const std::vector<DictRef> selected = document_->recordController().selectedObjects();
  if (selected.empty()) return;
  textViewDelegate_->increaseUsageOfRow();
  const DictRef& record = selected.back();
  const QString user = hasUserID(*record) ? record->value(RecordKeys::userID()).toString()
                                          : record->value(RecordKeys::account()).toString();
  const auto opened = ZVUrlResolutor::sharedUrlResolutor().openUrl(
      record->value(RecordKeys::url()).toString(), user,
      record->value(RecordKeys::password()).toString());
  if (!opened.ok()) alertUrlNotOpened(opened.failure());
}

void VaultDocumentWindow::alertUrlNotOpened(const UrlFailure& failure) {
  using Reason = UrlFailure::Reason;
  if (failure.reason != Reason::FileMissing && failure.reason != Reason::FileExecutable) return;
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = QStringLiteral("The file could not be opened");
  alert.informativeText = failure.message;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.beginSheetModalForWindow(this, {});
}

void VaultDocumentWindow::pushAndPull() {
  if (!document_ || !document_->isDecrypted()) return;
  const std::vector<DictRef> selected = document_->recordController().selectedObjects();
  if (selected.empty()) return;
  if (hasUserID(*selected.back())) {
    pullWithUser(QStringLiteral("copyUserID:"));
    return;
  }
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = QStringLiteral("User ID empty. Do you want to use the User Account field?");
  alert.informativeText = QStringLiteral(
      "Quorlith usually needs to copy from your User ID field the string to use as login");
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<VaultDocumentWindow> self(this);
  alert.beginSheetModalForWindow(this, [self](int answer) {
    if (self && answer == Alert::FirstButtonReturn)
      self->pullWithUser(QStringLiteral("copyAccount:"));
  });
}

// The password goes to the pull item first, then the user name to the clipboard, then the
// address opens: the browser comes to the front last.
void VaultDocumentWindow::pullWithUser(const QString& copyAction) {
  if (!document_ || !document_->isDecrypted()) return;
  const std::vector<DictRef> selected = document_->recordController().selectedObjects();
  if (selected.empty()) return;
  if (const auto& pull = puller())
    pull(selected.back()->value(RecordKeys::password()).toString(), this);
  copyField(copyAction);
  openUrl();
}

void VaultDocumentWindow::showPushAndPullHelp() {
  auto* sheet = new Sheet(this);
  pushAndPullHelp_ = sheet;
  sheet->setObjectName(QStringLiteral("pushAndPullHelpSheet"));
  sheet->setWindowTitle(QStringLiteral("Push and Pull"));
  auto* layout = new QVBoxLayout(sheet);
  auto* text = new QLabel(
      QStringLiteral("<p><b>Push and Pull</b> helps you log in to a web site.</p>"
                     "<p>It copies the record's User ID, opens the record's URL in your "
                     "browser and keeps the password in a small icon in the system tray (or a "
                     "small window where there is no tray).</p>"
                     "<p>Paste the User ID into the site, click the icon and choose Copy "
                     "Password, then paste the password. The icon goes away after the copy or "
                     "when its time, set in the preferences, runs out.</p>"),
      sheet);
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, sheet);
  connect(buttons, &QDialogButtonBox::rejected, this, &VaultDocumentWindow::closePushAndPullHelp);
  layout->addWidget(buttons);
  sheet->setMinimumWidth(420);
  sheet->beginSheet(this, [sheet](int) { sheet->deleteLater(); });
}

void VaultDocumentWindow::closePushAndPullHelp() {
  if (pushAndPullHelp_) pushAndPullHelp_->endSheet(Sheet::AbortReturn);
}
