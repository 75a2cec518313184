#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/SecureMemory.h"

namespace Pasteboard {

void putString(const QString& text, bool secret) {
  auto* data = new QMimeData;
  // A block of its own: the field copied from is wiped when it shows something else.
  data->setText(SecureMemory::privateCopy(text));
  if (secret) data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

}  // namespace Pasteboard
