#pragma once

#include <QString>

// A document's password and the three entries of the password sheets (new, retyped,
// previous), with the checks the sheets apply before a password is taken. Every string is
// held as a private copy and wiped when it is replaced or the holder goes.
class DocumentPassword {
 public:
  // Characters that enter the key: a non-ASCII password counts fewer than it shows.
  static constexpr int kMinimumLength = 6;

  // What the checks decide, in the order the change sheet applies them.
  enum class Check { Accepted, PreviousMismatch, NotEqual, TooShort };

  DocumentPassword() = default;
  ~DocumentPassword();
  DocumentPassword(const DocumentPassword&) = delete;
  DocumentPassword& operator=(const DocumentPassword&) = delete;

  // "" while the document has none.
  const QString& password() const { return password_; }
  void setPassword(const QString& password) { replace(password_, password); }
  const QString& inserted() const { return inserted_; }
  void setInserted(const QString& text) { replace(inserted_, text); }
  const QString& insertedRetype() const { return retype_; }
  void setInsertedRetype(const QString& text) { replace(retype_, text); }
  const QString& previous() const { return previous_; }
  void setPrevious(const QString& text) { replace(previous_, text); }

  // A new password: both entries equal, then long enough in what protects the document.
  Check checkNew() const;
  // A changed password: the previous entry is the password, then as checkNew.
  Check checkChange() const;
  // The new entry becomes the password; both new entries are emptied.
  void acceptInserted();
  void clearEntries();

 private:
  static void replace(QString& held, const QString& text);

  QString password_, inserted_, retype_, previous_;
};
