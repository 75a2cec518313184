#include "vault/PasswordSheet.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QLineEdit* passwordLineEdit(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setEchoMode(QLineEdit::Password);
  field->setMinimumWidth(260);
  return field;
}
}  // namespace

PasswordSheet::PasswordSheet(Kind kind, QWidget* parent) : Sheet(parent), kind_(kind) {
  // The first thing a newcomer sees: opening an existing vault instead must stay at hand.
  setLeavesMenusUsable(true);
  auto* layout = new QVBoxLayout(this);
  QString heading;
  QString acceptTitle = QStringLiteral("OK");
  QString otherTitle = QStringLiteral("Cancel");
  switch (kind) {
    case Kind::Mandatory:
      heading = QStringLiteral(
          "Choose a password to protect this document.\n"
          "It must be at least six characters long.");
      acceptTitle = QStringLiteral("Protect");
      otherTitle = QStringLiteral("Close Document");
      break;
    case Kind::Change:
      heading = QStringLiteral("Change the password of this document.");
      acceptTitle = QStringLiteral("Change");
      break;
    case Kind::Insert:
      heading = QStringLiteral("Insert a password for this document.");
      break;
  }
  setWindowTitle(acceptTitle);
  layout->addWidget(new QLabel(heading, this));

  auto* form = new QFormLayout;
  if (kind == Kind::Change) {
    previous_ = passwordLineEdit(this);
    form->addRow(QStringLiteral("Old Master Password:"), previous_);
  }
  password_ = passwordLineEdit(this);
  retype_ = passwordLineEdit(this);
  form->addRow(kind == Kind::Change ? QStringLiteral("New Password:") : QStringLiteral("Password:"),
               password_);
  form->addRow(kind == Kind::Change ? QStringLiteral("Repeat New Password:")
                                    : QStringLiteral("Repeat Password:"),
               retype_);
  layout->addLayout(form);

  showClear_ = new QCheckBox(QStringLiteral("Show password"), this);
  layout->addWidget(showClear_);
  connect(showClear_, &QCheckBox::toggled, this, &PasswordSheet::setShowClear);

  auto* buttons = new QDialogButtonBox(this);
  accept_ = buttons->addButton(acceptTitle, QDialogButtonBox::AcceptRole);
  other_ = buttons->addButton(otherTitle, QDialogButtonBox::RejectRole);
  accept_->setDefault(true);
  layout->addWidget(buttons);
}

void PasswordSheet::setShowClear(bool clear) {
  const auto mode = clear ? QLineEdit::Normal : QLineEdit::Password;
  for (QLineEdit* field : {previous_, password_, retype_})
    if (field) field->setEchoMode(mode);
  if (showClear_->isChecked() != clear) showClear_->setChecked(clear);
}

void PasswordSheet::reject() {
  if (kind_ != Kind::Mandatory) Sheet::reject();
}
