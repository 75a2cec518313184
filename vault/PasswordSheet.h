#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Sheet.h"

// The password sheets of a vault document: one to three password fields, a switch that shows
// the typed text in clear, and two buttons. Fields and switch are bound by the document.
class PasswordSheet : public Sheet {
  Q_OBJECT

 public:
  enum class Kind { Mandatory, Change, Insert };

  explicit PasswordSheet(Kind kind, QWidget* parent = nullptr);

  Kind kind() const { return kind_; }
  QLineEdit* previousField() const { return previous_; }  // only in the change sheet
  QLineEdit* passwordField() const { return password_; }
  QLineEdit* retypeField() const { return retype_; }
  QCheckBox* showClearSwitch() const { return showClear_; }
  QPushButton* acceptButton() const { return accept_; }
  QPushButton* otherButton() const { return other_; }

  void setShowClear(bool clear);

 protected:
  // Escape leaves a new document's sheet up: its answer closes the document, and closing
  // the last window would end the program. "Close Document" says so.
  void reject() override;

 private:
  Kind kind_;
  QLineEdit* previous_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* retype_ = nullptr;
  QCheckBox* showClear_ = nullptr;
  QPushButton* accept_ = nullptr;
  QPushButton* other_ = nullptr;
};
