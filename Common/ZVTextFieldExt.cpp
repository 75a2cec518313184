#include "Common/ZVTextFieldExt.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

#include "platform/Pasteboard.h"
#include "platform/crypto/SecureMemory.h"

void ZVTextFieldExt::CopyInClipboard(int senderTag) {
  Pasteboard::putString(text(), secret_, window());
  NotifyCopiedInClipboard(senderTag);
}

void ZVTextFieldExt::NotifyCopiedInClipboard(int senderTag) {
  Q_EMIT textCopiedInClipboard(senderTag);
}

ZVUrlResolutor::Outcome ZVTextFieldExt::OpenUrl() const {
  return ZVUrlResolutor::sharedUrlResolutor().openUrl(text());
}

void ZVTextFieldExt::copy() {
  if (!secret_) {
    QLineEdit::copy();
    return;
  }
  // As QLineEdit copies: the selection, and nothing from a masked field.
  if (!hasSelectedText() || echoMode() != QLineEdit::Normal) return;
  QString selection = selectedText();  // the field's own text when all of it is selected
  Pasteboard::putString(selection, true, window());
  SecureMemory::release(selection);
}

void ZVTextFieldExt::cut() {
  if (!secret_) {
    QLineEdit::cut();
    return;
  }
  if (isReadOnly() || !hasSelectedText() || echoMode() != QLineEdit::Normal) return;
  copy();
  del();
}

void ZVTextFieldExt::keyPressEvent(QKeyEvent* event) {
  if (secret_ && event->matches(QKeySequence::Copy)) {
    copy();
    event->accept();
    return;
  }
  if (secret_ && event->matches(QKeySequence::Cut)) {
    cut();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void ZVTextFieldExt::contextMenuEvent(QContextMenuEvent* event) {
  if (!secret_) {
    QLineEdit::contextMenuEvent(event);
    return;
  }
  QPointer<QMenu> menu = createStandardContextMenu();
  // The standard entries keep their titles, shortcuts and enabled states; the two that
  // reach the clipboard go through this field instead.
  for (QAction* action : menu->actions()) {
    const QString name = action->objectName();
    if (name != u"edit-copy" && name != u"edit-cut") continue;
    action->disconnect(this);
    if (name == u"edit-copy")
      connect(action, &QAction::triggered, this, &ZVTextFieldExt::copy);
    else
      connect(action, &QAction::triggered, this, &ZVTextFieldExt::cut);
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}
