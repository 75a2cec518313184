#pragma once

#include <QLineEdit>

#include "Common/ZVUrlResolutor.h"

// A text field that copies its own text to the clipboard when one of the window's copy
// controls asks, and tells whoever listens which control did it (its tag names the field);
// or opens its text as an address when an open control asks.
// A secret field's text reaches the clipboard marked secret however it is copied: by the
// copy control, the copy and cut keys, the Edit menu or the field's context menu.
class ZVTextFieldExt : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

  // Copies the text, an empty one too (it replaces what the clipboard held).
  void CopyInClipboard(int senderTag);
  // Tells the listener, if any, which control copied; with none connected nothing happens.
  void NotifyCopiedInClipboard(int senderTag);
  // Opens the text through the shared resolutor, with no user name or password put into the
  // address.
  [[nodiscard]] ZVUrlResolutor::Outcome OpenUrl() const;
  // A secret's copy asks clipboard managers to keep no history of it.
  void setSecret(bool secret) { secret_ = secret; }
  bool isSecret() const { return secret_; }

 public Q_SLOTS:
  // The Edit menu sends its commands to the focused widget by name: these answer them in
  // place of QLineEdit's own, which would put a secret on the clipboard unmarked.
  void copy();
  void cut();

 Q_SIGNALS:
  void textCopiedInClipboard(int senderTag);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  bool secret_ = false;
};

// The record view's fields: a copyable field drawn as a plain one.
class QvltTextFieldExt : public ZVTextFieldExt {
  Q_OBJECT

 public:
  using ZVTextFieldExt::ZVTextFieldExt;
};
