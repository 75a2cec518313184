#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace Pasteboard {

void putString(const QString& text, bool secret) {
  auto* data = new QMimeData;
  data->setText(text);
  if (secret) data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

}  // namespace Pasteboard
