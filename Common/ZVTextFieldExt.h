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

 Q_SIGNALS:
  void textCopiedInClipboard(int senderTag);
};

// The record view's fields: a copyable field drawn as a plain one.
class QvltTextFieldExt : public ZVTextFieldExt {
  Q_OBJECT

 public:
  using ZVTextFieldExt::ZVTextFieldExt;
};
