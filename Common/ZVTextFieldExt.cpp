#include "Common/ZVTextFieldExt.h"

#include <QClipboard>
#include <QGuiApplication>

void ZVTextFieldExt::CopyInClipboard(int senderTag) {
  QGuiApplication::clipboard()->setText(text());
  Q_EMIT textCopiedInClipboard(senderTag);
}
