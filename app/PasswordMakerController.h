#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "generator/ZVPasswordMaker.h"

class PasswordMakerWindow;
class QMainWindow;
class UserDefaults;

// The generator window's state and commands: the password made last, the length as typed (until a
// password is made), the type and whether the password shows in clear. They last as long as the
// application; the window is made the first time it is shown.
class PasswordMakerController : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMinimumLength = 5;
  static constexpr int kMaximumLength = 42;

  // prepareWindow gives the window its menus.
  PasswordMakerController(UserDefaults& defaults, std::function<void(QMainWindow*)> prepareWindow,
                          QObject* parent = nullptr);
  ~PasswordMakerController() override;

  UserDefaults& defaults() const { return defaults_; }

  const QString& password4PasswordMaker() const { return password_; }
  const QString& pwLength4PasswordMaker() const { return length_; }
  void setPwLength4PasswordMaker(const QString& entered);
  int pwTypeTag4PasswordMaker() const { return typeTag_; }
  void setPwTypeTag4PasswordMaker(int tag);
  bool pwIsVisible4PasswordMaker() const { return visible_; }
  void setPwIsVisible4PasswordMaker(bool visible);

  // None until first shown.
  PasswordMakerWindow* passwordMakerWindow() const;

  // Shows the window; the first time (or while no password was made) it makes one.
  void showPasswordMaker();
  // A new password of the chosen type and length, rated on the meter; the length becomes the
  // one used, so the field shows 42 where 50 was typed.
  void calcNewPasswordInPasswordMaker();
  // The look-alike characters back to "0O1lI".
  void useDefaulltCharsForDisambiguator();

  // The typed length as its leading integer (saturating), kept within 5..42.
  static int clampedLength(const QString& entered);

 Q_SIGNALS:
  void password4PasswordMakerChanged(const QString& password);
  void pwLength4PasswordMakerChanged(const QString& entered);
  void pwTypeTag4PasswordMakerChanged(int tag);
  void pwIsVisible4PasswordMakerChanged(bool visible);
  void disambiguatorCharsReset();

 private:
  void setPassword4PasswordMaker(QString password);
  // The meter follows the password made last.
  void showEstimate();

  UserDefaults& defaults_;
  std::function<void(QMainWindow*)> prepareWindow_;
  // Over the user's own settings the shared engine; another store (a test) gets its own.
  std::unique_ptr<ZVPasswordMaker> ownMaker_;
  ZVPasswordMaker& maker_;
  QPointer<PasswordMakerWindow> window_;
  QString password_;
  std::optional<int> lastEstimate_;  // none for no password; for a meter made after it
  QString length_ = QStringLiteral("12");
  int typeTag_ = 40;
  bool visible_ = false;
};
