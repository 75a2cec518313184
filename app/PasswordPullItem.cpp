#include "app/PasswordPullItem.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "Common/AppIdentity.h"
#include "platform/Pasteboard.h"
#include "platform/crypto/SecureMemory.h"

PasswordPullItem::PasswordPullItem(QObject* parent) : QObject(parent), icon_(pwMenuIcon()) {
  removeTimer_.setObjectName(QStringLiteral("removeTimer"));
  removeTimer_.setSingleShot(true);
  connect(&removeTimer_, &QTimer::timeout, this, &PasswordPullItem::timerFireMethod);
  Pasteboard::onWithdrawal(this, [this](const void* owner) {
    if (on_ && owner && owner == owner_) endPullPasswordPhase();
  });
}

PasswordPullItem::~PasswordPullItem() {
  removeTimer_.stop();
  SecureMemory::wipe(passwordToPull_);
  delete tray_;  // before the menu it shows
  if (window_) {
    window_->disconnect(this);
    delete window_.data();
  }
}

void PasswordPullItem::startPullPasswordPhase(const QString& password, qint64 seconds,
                                              const void* owner) {
  if (on_) endPullPasswordPhase();
  passwordToPull_ = SecureMemory::privateCopy(password);
  owner_ = owner;
  installPullPasswordStatusMenu(seconds);
}

void PasswordPullItem::installPullPasswordStatusMenu(qint64 seconds) {
  const bool tray =
      presentation_ == Presentation::Tray ||
      (presentation_ == Presentation::Automatic && QSystemTrayIcon::isSystemTrayAvailable());
  if (tray) {
    if (!tray_) {
      // Made once and kept: the menu may not be deleted from its own item's click.
      menu_ = std::make_unique<QMenu>();
      menu_->addAction(QStringLiteral("&Copy Password"), this, &PasswordPullItem::copyPassword);
      tray_ = new QSystemTrayIcon(icon_, this);
      tray_->setToolTip(
          QStringLiteral("%1: click to copy the password").arg(AppIdentity::kShortName));
      tray_->setContextMenu(menu_.get());
      connect(tray_, &QSystemTrayIcon::activated, this,
              [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                  copyPassword();
              });
    }
    tray_->show();
  } else {
    window_ = makeFallbackWindow();
    window_->show();
    window_->activateWindow();
  }
  // QTimer counts milliseconds in an int; longer waits are cut to the longest it takes.
  const qint64 ms = std::clamp<qint64>(seconds, 0, INT_MAX / 1000) * 1000;
  removeTimer_.start(static_cast<int>(ms));
  on_ = true;
}

QWidget* PasswordPullItem::makeFallbackWindow() {
  auto* window = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName(QStringLiteral("pullPasswordWindow"));
  window->setWindowTitle(AppIdentity::kShortName);
  window->setWindowIcon(icon_);
  auto* layout = new QVBoxLayout(window);
  auto* label = new QLabel(QStringLiteral("The password is ready to paste."), window);
  auto* button = new QPushButton(QStringLiteral("&Copy Password"), window);
  button->setObjectName(QStringLiteral("copyPassword"));
  button->setDefault(true);
  button->setFocus();
  layout->addWidget(label);
  layout->addWidget(button);
  connect(button, &QPushButton::clicked, this, &PasswordPullItem::copyPassword);
  // Closing the window ends the phase as the time running out would.
  connect(window, &QObject::destroyed, this, [this] {
    if (on_) endPullPasswordPhase();
  });
  return window;
}

void PasswordPullItem::copyPassword() {
  if (!on_) return;
  // The clipboard takes a copy of its own: ours is wiped next.
  Pasteboard::putString(passwordToPull_, true, owner_);
  endPullPasswordPhase();
}

void PasswordPullItem::endPullPasswordPhase() {
  removeTimer_.stop();
  removePullPasswordStatusMenu();
}

void PasswordPullItem::timerFireMethod() { removePullPasswordStatusMenu(); }

void PasswordPullItem::removePullPasswordStatusMenu() {
  SecureMemory::wipe(passwordToPull_);
  passwordToPull_.clear();
  owner_ = nullptr;
  on_ = false;
  if (tray_) tray_->hide();
  if (window_) {
    QWidget* window = window_;
    window_ = nullptr;
    window->disconnect(this);  // its deletion must not end a phase begun since
    window->close();
  }
}

QIcon PasswordPullItem::pwMenuIcon() {
  // A symbolic glyph (an arrow up beside an arrow down) in the desktop's text colour.
  const QColor ink = QApplication::palette().color(QPalette::WindowText);
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48})
    for (const qreal ratio : {1.0, 2.0}) {
      QPixmap pixmap(QSize(size, size) * ratio);
      pixmap.setDevicePixelRatio(ratio);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(size / 16.0, size / 16.0);
      QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      painter.setPen(pen);
      QPainterPath up;
      up.moveTo(5, 14);
      up.lineTo(5, 2.5);
      up.moveTo(2, 5.5);
      up.lineTo(5, 2.5);
      up.lineTo(8, 5.5);
      QPainterPath down;
      down.moveTo(11, 2);
      down.lineTo(11, 13.5);
      down.moveTo(8, 10.5);
      down.lineTo(11, 13.5);
      down.lineTo(14, 10.5);
      painter.drawPath(up);
      painter.drawPath(down);
      painter.end();
      icon.addPixmap(pixmap);
    }
  return icon;
}
