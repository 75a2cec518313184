#include "vault/DocumentPassword.h"

#include "platform/crypto/SecureMemory.h"
#include "vault/ZVCommonCrypto.h"

DocumentPassword::~DocumentPassword() {
  for (QString* s : {&password_, &inserted_, &retype_, &previous_}) SecureMemory::wipe(*s);
}

void DocumentPassword::replace(QString& held, const QString& text) {
  QString copy = SecureMemory::privateCopy(text);  // before the wipe: text may be held itself
  SecureMemory::wipe(held);
  held = std::move(copy);
}

DocumentPassword::Check DocumentPassword::checkNew() const {
  if (inserted_ != retype_) return Check::NotEqual;
  if (ZVCommonCrypto::keyedCharacterCount(inserted_) < kMinimumLength) return Check::TooShort;
  return Check::Accepted;
}

DocumentPassword::Check DocumentPassword::checkChange() const {
  if (previous_ != password_) return Check::PreviousMismatch;
  return checkNew();
}

void DocumentPassword::acceptInserted() {
  setPassword(inserted_);
  setInserted(QString());
  setInsertedRetype(QString());
}

void DocumentPassword::clearEntries() {
  setInserted(QString());
  setInsertedRetype(QString());
  setPrevious(QString());
}
