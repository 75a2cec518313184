#pragma once

#include <QMainWindow>

class PasswordMakerController;
class PasswordQualityView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The generator window: type and length, the password masked or in clear, its stars, and the
// look-alike characters to leave out. Its controls follow the controller's state both ways.
class PasswordMakerWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit PasswordMakerWindow(PasswordMakerController& controller, QWidget* parent = nullptr);

  // The types offered, in menu order, with their titles.
  static const QList<std::pair<int, QString>>& typeChoices();

  QComboBox* typeChoice() const { return typeChoice_; }
  QLineEdit* lengthField() const { return lengthField_; }
  QLineEdit* secureTextField4PasswordMaker() const { return secureField_; }
  QLineEdit* unsecureTextField4PasswordMaker() const { return unsecureField_; }
  QCheckBox* visibilitySwitch() const { return visibilitySwitch_; }
  QPushButton* generateButton() const { return generateButton_; }
  PasswordQualityView* pwQualityView() const { return qualityView_; }
  QCheckBox* exclusionSwitch() const { return exclusionSwitch_; }
  QLineEdit* exclusionField() const { return exclusionField_; }
  QPushButton* resetButton() const { return resetButton_; }

 protected:
  // The look-alike settings may have changed elsewhere while the window was hidden.
  void showEvent(QShowEvent* event) override;

 private:
  void bindToController();
  void loadExclusionSettings();
  void showPasswordVisibility(bool visible);

  PasswordMakerController& controller_;
  QComboBox* typeChoice_ = nullptr;
  QLineEdit* lengthField_ = nullptr;
  QLabel* passwordLabel_ = nullptr;
  QStackedWidget* passwordFields_ = nullptr;
  QLineEdit* secureField_ = nullptr;
  QLineEdit* unsecureField_ = nullptr;
  QCheckBox* visibilitySwitch_ = nullptr;
  QPushButton* generateButton_ = nullptr;
  PasswordQualityView* qualityView_ = nullptr;
  QCheckBox* exclusionSwitch_ = nullptr;
  QLineEdit* exclusionField_ = nullptr;
  QPushButton* resetButton_ = nullptr;
};
