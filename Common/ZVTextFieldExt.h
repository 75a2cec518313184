#pragma once

#include <QLineEdit>

// A text field that copies its own text to the clipboard when one of the window's copy
// controls asks, and tells whoever listens which control did it (its tag names the field).
class ZVTextFieldExt : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

  // Copies the text, an empty one too (it replaces what the clipboard held).
  void CopyInClipboard(int senderTag);
  // A secret's copy asks clipboard managers to keep no history of it.
  void setSecret(bool secret) { secret_ = secret; }

 Q_SIGNALS:
  void textCopiedInClipboard(int senderTag);

 private:
  bool secret_ = false;
};

// The record view's fields: a copyable field drawn as a plain one.
class QvltTextFieldExt : public ZVTextFieldExt {
  Q_OBJECT

 public:
  using ZVTextFieldExt::ZVTextFieldExt;
};
