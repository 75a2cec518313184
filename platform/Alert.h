#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QMessageBox;
class QWidget;

// A message with buttons. Buttons answer 1000, 1001, 1002... in the order they were added,
// by identity, whatever order the desktop style lays them out in.
class Alert {
 public:
  enum class Style { Warning, Informational, Critical };
  static constexpr int FirstButtonReturn = 1000;
  static constexpr int SecondButtonReturn = 1001;
  static constexpr int ThirdButtonReturn = 1002;

  QString messageText;
  QString informativeText;
  Style alertStyle = Style::Warning;

  void addButtonWithTitle(const QString& title) { buttons_ << title; }
  const QStringList& buttonTitles() const { return buttons_; }

  // Shows the alert window-modal on window and returns at once; completion gets the code of
  // the pressed button after the alert has closed, and SheetEnds then tells window.
  QMessageBox* beginSheetModalForWindow(QWidget* window, std::function<void(int)> completion) const;
  // Blocks until a button is pressed.
  int runModal(QWidget* parent = nullptr) const;

 private:
  QMessageBox* build(QWidget* parent) const;

  QStringList buttons_;
};
