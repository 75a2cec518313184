#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// What a locked document window shows: the password field, the texts that describe the
// file's format, and the application's release.
class LockedPage : public QWidget {
  Q_OBJECT

 public:
  explicit LockedPage(QWidget* parent = nullptr);

  QLineEdit* passwordField() const { return passwordField_; }
  void setTexts(const QString& documentName, const QString& formatText,
                const QString& releaseString, const QString& description);

 private:
  QLineEdit* passwordField_ = nullptr;
  QLabel* title_ = nullptr;
  QLabel* formatText_ = nullptr;
  QLabel* releaseText_ = nullptr;
  QLabel* descriptionText_ = nullptr;
};
