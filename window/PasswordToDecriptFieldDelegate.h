#pragma once

#include <QObject>
#include <QPointer>

class MyDocument;

// Serves the password field of a locked document window: typing a password never marks the
// document edited.
class PasswordToDecriptFieldDelegate : public QObject {
  Q_OBJECT

 public:
  explicit PasswordToDecriptFieldDelegate(MyDocument* myDocument, QObject* parent = nullptr);

  MyDocument* myDocument() const { return myDocument_; }

  // The field's text changed.
  void controlTextDidChange();

 private:
  QPointer<MyDocument> myDocument_;
};
