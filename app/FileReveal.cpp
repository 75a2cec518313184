#include "app/FileReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

#include "Common/ZVAppSupportUtility.h"

namespace {
FileReveal::Revealer& revealer() {
  static FileReveal::Revealer installed;
  return installed;
}
}  // namespace

void FileReveal::setRevealer(Revealer replacement) { revealer() = std::move(replacement); }

void FileReveal::revealInFileManager(const QString& path) {
  if (revealer()) {
    revealer()(path);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected() && bus.call(call, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage)
    return;
  ZVAppSupportUtility::openURL(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
