#include "window/PasswordToDecriptFieldDelegate.h"

#include "vault/MyDocument.h"

PasswordToDecriptFieldDelegate::PasswordToDecriptFieldDelegate(MyDocument* myDocument,
                                                               QObject* parent)
    : QObject(parent), myDocument_(myDocument) {}

void PasswordToDecriptFieldDelegate::controlTextDidChange() {
  // Changes that a lock could not save stay marked until they are saved or dropped: clearing
  // them here would let the document close without asking to save them.
  if (!myDocument_ || myDocument_->lockKeptUnsavedChanges()) return;
  myDocument_->updateChangeCount(ChangeCounting::ChangeCleared);
}
