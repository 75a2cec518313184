#include "app/PasswordMakerWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>

#include "Common/ZVTextFieldExt.h"
#include "app/PasswordMakerController.h"
#include "generator/PasswordQualityView.h"
#include "platform/UserDefaults.h"

namespace {
const QString kEnableKey = QStringLiteral("enableDisambiguator");
const QString kCharsKey = QStringLiteral("noCharStringDisambiguator");

QLineEdit* passwordField(QWidget* parent, QLineEdit::EchoMode echo) {
  auto* field = new ZVTextFieldExt(parent);
  // Copied in clear, the password reaches the clipboard marked secret.
  field->setSecret(true);
  field->setReadOnly(true);
  field->setEchoMode(echo);
  // Fixed-width glyphs keep look-alike characters apart and show the length at a glance.
  field->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Room for the longest password, frame and margins included.
  const QFontMetrics metrics(field->font());
  field->setMinimumWidth(
      metrics.horizontalAdvance(QString(PasswordMakerController::kMaximumLength, u'M')) + 24);
  return field;
}
}  // namespace

const QList<std::pair<int, QString>>& PasswordMakerWindow::typeChoices() {
  static const QList<std::pair<int, QString>> choices = {
      {40, QStringLiteral("Letters, digits and punctuation")},
      {20, QStringLiteral("Letters and digits")},
      {10, QStringLiteral("Letters")},
      {41, QStringLiteral("Lower-case letters, punctuation and digits")},
      {42, QStringLiteral("Upper-case letters, punctuation and digits")},
      {21, QStringLiteral("Lower-case letters and digits")},
      {22, QStringLiteral("Upper-case letters and digits")},
      {11, QStringLiteral("Lower-case letters")},
      {30, QStringLiteral("Digits")},
      {52, QStringLiteral("Hexadecimal digits")},
      {60, QStringLiteral("Pronounceable, lower case")},
      {61, QStringLiteral("Pronounceable, upper case")},
  };
  return choices;
}

PasswordMakerWindow::PasswordMakerWindow(PasswordMakerController& controller, QWidget* parent)
    : QMainWindow(parent), controller_(controller) {
  setWindowTitle(QStringLiteral("Password Generator"));
  auto* content = new QWidget(this);
  auto* form = new QFormLayout(content);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

  typeChoice_ = new QComboBox(content);
  for (const auto& [tag, title] : typeChoices()) typeChoice_->addItem(title, tag);
  form->addRow(QStringLiteral("T&ype:"), typeChoice_);

  lengthField_ = new QLineEdit(content);
  const QFontMetrics metrics(lengthField_->font());
  lengthField_->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000")) + 16);
  auto* lengthRow = new QHBoxLayout;
  lengthRow->addWidget(lengthField_);
  lengthRow->addWidget(new QLabel(QStringLiteral("%1 to %2 characters")
                                      .arg(PasswordMakerController::kMinimumLength)
                                      .arg(PasswordMakerController::kMaximumLength),
                                  content));
  lengthRow->addStretch();
  auto* lengthLabel = new QLabel(QStringLiteral("&Length:"), content);
  lengthLabel->setBuddy(lengthField_);
  form->addRow(lengthLabel, lengthRow);

  passwordFields_ = new QStackedWidget(content);
  secureField_ = passwordField(passwordFields_, QLineEdit::Password);
  unsecureField_ = passwordField(passwordFields_, QLineEdit::Normal);
  passwordFields_->addWidget(secureField_);
  passwordFields_->addWidget(unsecureField_);
  generateButton_ = new QPushButton(QStringLiteral("&Generate"), content);
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(passwordFields_, 1);
  passwordRow->addWidget(generateButton_);
  passwordLabel_ = new QLabel(QStringLiteral("&Password:"), content);
  form->addRow(passwordLabel_, passwordRow);
  visibilitySwitch_ = new QCheckBox(QStringLiteral("&Show password"), content);
  form->addRow(QString(), visibilitySwitch_);

  qualityView_ = new PasswordQualityView(content);
  form->addRow(QStringLiteral("Strength:"), qualityView_);

  auto* line = new QFrame(content);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  form->addRow(line);

  exclusionSwitch_ = new QCheckBox(QStringLiteral("E&xclude look-alike characters:"), content);
  exclusionField_ = new QLineEdit(content);
  exclusionField_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  exclusionField_->setFixedWidth(
      QFontMetrics(exclusionField_->font()).horizontalAdvance(QStringLiteral("MMMMMMMMMM")) + 16);
  resetButton_ = new QPushButton(QStringLiteral("&Reset"), content);
  auto* exclusionRow = new QHBoxLayout;
  exclusionRow->addWidget(exclusionSwitch_);
  exclusionRow->addWidget(exclusionField_);
  exclusionRow->addWidget(resetButton_);
  exclusionRow->addStretch();
  form->addRow(exclusionRow);

  setCentralWidget(content);
  // A utility window: Escape puts it away, as it does a dialog.
  new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
  bindToController();
  loadExclusionSettings();
}

void PasswordMakerWindow::bindToController() {
  PasswordMakerController* c = &controller_;
  typeChoice_->setCurrentIndex(typeChoice_->findData(c->pwTypeTag4PasswordMaker()));
  lengthField_->setText(c->pwLength4PasswordMaker());
  secureField_->setText(c->password4PasswordMaker());
  unsecureField_->setText(c->password4PasswordMaker());
  unsecureField_->setCursorPosition(0);
  visibilitySwitch_->setChecked(c->pwIsVisible4PasswordMaker());
  showPasswordVisibility(c->pwIsVisible4PasswordMaker());

  connect(typeChoice_, &QComboBox::currentIndexChanged, this, [this, c](int index) {
    if (index >= 0) c->setPwTypeTag4PasswordMaker(typeChoice_->itemData(index).toInt());
  });
  connect(c, &PasswordMakerController::pwTypeTag4PasswordMakerChanged, this,
          [this](int tag) { typeChoice_->setCurrentIndex(typeChoice_->findData(tag)); });
  connect(lengthField_, &QLineEdit::textEdited, c,
          &PasswordMakerController::setPwLength4PasswordMaker);
  connect(c, &PasswordMakerController::pwLength4PasswordMakerChanged, this,
          [this](const QString& entered) {
            if (lengthField_->text() != entered) lengthField_->setText(entered);
          });
  connect(lengthField_, &QLineEdit::returnPressed, c,
          &PasswordMakerController::calcNewPasswordInPasswordMaker);
  connect(generateButton_, &QPushButton::clicked, c,
          &PasswordMakerController::calcNewPasswordInPasswordMaker);
  connect(c, &PasswordMakerController::password4PasswordMakerChanged, this,
          [this](const QString& password) {
            secureField_->setText(password);
            unsecureField_->setText(password);
            // From its first character: the start matters more than the cursor at the end.
            unsecureField_->setCursorPosition(0);
          });
  connect(visibilitySwitch_, &QCheckBox::toggled, c,
          &PasswordMakerController::setPwIsVisible4PasswordMaker);
  connect(c, &PasswordMakerController::pwIsVisible4PasswordMakerChanged, this,
          [this](bool visible) {
            visibilitySwitch_->setChecked(visible);
            showPasswordVisibility(visible);
          });

  // Clicked, not toggled: loading the setting into the switch must not store it.
  connect(exclusionSwitch_, &QCheckBox::clicked, this, [this, c](bool on) {
    c->defaults().setBool(kEnableKey, on);
    exclusionField_->setEnabled(on);
  });
  connect(exclusionField_, &QLineEdit::textEdited, this,
          [c](const QString& chars) { c->defaults().setString(kCharsKey, chars); });
  connect(resetButton_, &QPushButton::clicked, c,
          &PasswordMakerController::useDefaulltCharsForDisambiguator);
  connect(c, &PasswordMakerController::disambiguatorCharsReset, this,
          &PasswordMakerWindow::loadExclusionSettings);
}

void PasswordMakerWindow::loadExclusionSettings() {
  const UserDefaults& defaults = controller_.defaults();
  const bool on = defaults.boolForKey(kEnableKey);
  exclusionSwitch_->setChecked(on);
  exclusionField_->setEnabled(on);
  exclusionField_->setText(defaults.stringForKey(kCharsKey));
}

void PasswordMakerWindow::showPasswordVisibility(bool visible) {
  QLineEdit* shown = visible ? unsecureField_ : secureField_;
  passwordFields_->setCurrentWidget(shown);
  passwordLabel_->setBuddy(shown);
}

void PasswordMakerWindow::showEvent(QShowEvent* event) {
  loadExclusionSettings();
  QMainWindow::showEvent(event);
}
