#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

class QSystemTrayIcon;
class QWidget;

// Holds a pulled password for a while outside the document window: a tray icon whose click,
// or its menu's one item, puts the password on the clipboard; where the desktop has no tray,
// a small window with a button does the same. The item goes after the copy or when its time
// runs out, or when the window it came from withdraws its secrets (its document locks or
// closes), and the password is wiped with it.
class PasswordPullItem : public QObject {
  Q_OBJECT

 public:
  enum class Presentation { Automatic, Tray, Window };

  explicit PasswordPullItem(QObject* parent = nullptr);
  ~PasswordPullItem() override;

  // Automatic: the tray where the desktop has one.
  void setPresentation(Presentation presentation) { presentation_ = presentation; }

  // Shows the item for this password for so many seconds; 0 or less ends it at the next turn
  // of the event loop. An item already shown ends first. owner: the window the password came
  // from, whose clipboard secret the copy becomes.
  void startPullPasswordPhase(const QString& password, qint64 seconds, const void* owner = nullptr);
  void copyPassword();
  void endPullPasswordPhase();

  bool pullMenuIsOn() const { return on_; }
  QSystemTrayIcon* trayIcon() const { return tray_; }
  QMenu* trayMenu() const { return menu_.get(); }
  QWidget* fallbackWindow() const { return window_; }

  // The symbolic push-and-pull icon, drawn for 1x and 2x screens.
  static QIcon pwMenuIcon();

 private:
  void installPullPasswordStatusMenu(qint64 seconds);
  // The removal timer's action: the item's time is up.
  void timerFireMethod();
  void removePullPasswordStatusMenu();
  QWidget* makeFallbackWindow();

  QIcon icon_;
  Presentation presentation_ = Presentation::Automatic;
  QString passwordToPull_;
  const void* owner_ = nullptr;
  bool on_ = false;
  QTimer removeTimer_{this};
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<QMenu> menu_;
  QPointer<QWidget> window_;
};
