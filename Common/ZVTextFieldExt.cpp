#include "Common/ZVTextFieldExt.h"

#include "platform/Pasteboard.h"

void ZVTextFieldExt::CopyInClipboard(int senderTag) {
  Pasteboard::putString(text(), secret_);
  Q_EMIT textCopiedInClipboard(senderTag);
}
