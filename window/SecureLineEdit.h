#pragma once

#include <QLineEdit>

#include "platform/crypto/SecureMemory.h"

// Emptying a line edit that may hold a secret. Qt lets the old characters go unwiped, both its
// own text and the copy it lays out for display, so they are overwritten in place first.
namespace SecureLineEdit {

inline void clear(QLineEdit* edit) {
  QString text = edit->text();          // shares the edit's own block
  QString shown = edit->displayText();  // shares the laid-out copy
  SecureMemory::wipe(text);
  SecureMemory::wipe(shown);
  edit->clear();
}

}  // namespace SecureLineEdit
