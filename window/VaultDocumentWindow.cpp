#include "window/VaultDocumentWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>

#include "platform/MainQueue.h"
#include "vault/MyDocument.h"

namespace {
constexpr int kLockedPage = 0;
constexpr int kUnlockedPage = 1;
}  // namespace

VaultDocumentWindow::VaultDocumentWindow(MyDocument* document, QWidget* parent)
    : QMainWindow(parent), document_(document) {
  setAttribute(Qt::WA_DeleteOnClose);
  pages_ = new QStackedWidget(this);

  auto* locked = new QWidget(pages_);
  auto* lockedLayout = new QVBoxLayout(locked);
  lockedLayout->addStretch();
  lockedTitle_ = new QLabel(locked);
  lockedTitle_->setAlignment(Qt::AlignCenter);
  passwordField_ = new QLineEdit(locked);
  passwordField_->setEchoMode(QLineEdit::Password);
  passwordField_->setPlaceholderText(QStringLiteral("Password"));
  passwordField_->setMaximumWidth(280);
  passwordField_->setAccessibleName(QStringLiteral("Password"));
  lockedLayout->addWidget(lockedTitle_);
  lockedLayout->addWidget(passwordField_, 0, Qt::AlignHCenter);
  lockedLayout->addStretch();
  connect(passwordField_, &QLineEdit::returnPressed, this, &VaultDocumentWindow::submitPassword);

  auto* unlocked = new QWidget(pages_);
  unlocked->setObjectName(QStringLiteral("documentArea"));
  pages_->insertWidget(kLockedPage, locked);
  pages_->insertWidget(kUnlockedPage, unlocked);
  setCentralWidget(pages_);
  resize(720, 480);

  document->setWindow(this);
  connect(document, &ZVCryptoDoc::passwordStateChanged, this, &VaultDocumentWindow::updateLayout);
  connect(document, &Document::changeCountChanged, this, &VaultDocumentWindow::updateTitle);
  connect(document, &Document::fileURLChanged, this, &VaultDocumentWindow::updateTitle);
  // The document closes first (close command, a refused password); its window follows.
  connect(document, &Document::documentClosed, this, [this] {
    closeApproved_ = true;
    close();
  });
  // A document dropped without closing (the controller going away) takes its window along.
  connect(document, &QObject::destroyed, this, &QObject::deleteLater);
  updateLayout();
  updateTitle();
}

VaultDocumentWindow::~VaultDocumentWindow() {
  if (document_ && document_->window() == this) document_->setWindow(nullptr);
}

bool VaultDocumentWindow::showsLockedLayout() const {
  return pages_->currentIndex() == kLockedPage;
}

void VaultDocumentWindow::updateLayout() {
  if (!document_) return;
  const bool locked = document_->isEncrypted();
  pages_->setCurrentIndex(locked ? kLockedPage : kUnlockedPage);
  lockedTitle_->setText(QStringLiteral("“%1” is locked").arg(document_->displayName()));
  if (locked) passwordField_->setFocus();
}

void VaultDocumentWindow::updateTitle() {
  if (!document_) return;
  setWindowTitle(document_->displayName() + QStringLiteral("[*]"));
  setWindowModified(document_->isDocumentEdited());
  setWindowFilePath(document_->fileURL());
}

void VaultDocumentWindow::submitPassword() {
  if (!document_) return;
  const QString typed = passwordField_->text();
  passwordField_->clear();
  document_->submitPasswordToDecrypt(typed);
}

void VaultDocumentWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow() || askedForPassword_) return;
  if (!document_ || !document_->requiresMandatoryPassword() || document_->isEncrypted() ||
      !document_->plainPassword().isEmpty() || !document_->fileURL().isEmpty())
    return;
  askedForPassword_ = true;
  QPointer<MyDocument> doc(document_);
  MainQueue::defer([doc] {
    if (doc && doc->plainPassword().isEmpty()) doc->askMandatoryPasswordToProtectDocument();
  });
}

void VaultDocumentWindow::closeEvent(QCloseEvent* event) {
  if (closeApproved_ || !document_ || document_->isClosed()) {
    event->accept();
    return;
  }
  // Ask the document (it may want to save); it closes itself and this window when it may.
  event->ignore();
  QPointer<MyDocument> doc(document_);
  document_->canCloseDocument([doc](bool shouldClose) {
    if (doc && shouldClose) doc->close();
  });
}

Rect VaultDocumentWindow::frame() const {
  // Stored frames have their origin at the lower left of the screen.
  const QRect g = geometry();
  const int screenHeight = screen() ? screen()->geometry().height() : 0;
  return Rect{double(g.x()), double(screenHeight - g.y() - g.height()), double(g.width()),
              double(g.height())};
}

void VaultDocumentWindow::setFrame(const Rect& frame, bool display) {
  // Frames come from files: refuse what no screen could show.
  const auto sane = [](double v) { return std::isfinite(v) && std::fabs(v) < 1.0e6; };
  if (!sane(frame.x) || !sane(frame.y) || !sane(frame.width) || !sane(frame.height) ||
      frame.width <= 0 || frame.height <= 0)
    return;
  const int screenHeight = screen() ? screen()->geometry().height() : 0;
  setGeometry(int(frame.x), int(screenHeight - frame.y - frame.height), int(frame.width),
              int(frame.height));
  if (display) update();
}

ArrayRef VaultDocumentWindow::getColumnSize() const { return Array::create(); }
ArrayRef VaultDocumentWindow::getColumnVisibility() const { return Array::create(); }
