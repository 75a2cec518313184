#pragma once

#include <memory>

#include "app/AutomaticLockTimer.h"
#include "app/PasswordPullItem.h"
#include "app/ZVAppDelegateBase.h"
#include "platform/Array.h"
#include "platform/Dictionary.h"

class PasswordMakerController;
class ZVRevertDocController;

// This application's delegate: the registered settings, the named transformers, the font
// list of the settings window and the launch steps.
class MyAppDelegate : public ZVAppDelegateBase {
  Q_OBJECT

 public:
  // The 18 registered settings, in their order, with their types.
  static DictRef registeredDefaultsDictionary();
  // Once per process, before the first delegate: registers them in memory (nothing is
  // written to the user's file).
  static void initialize(UserDefaults& defaults);

  explicit MyAppDelegate(UserDefaults& defaults, QObject* parent = nullptr);
  ~MyAppDelegate() override;

  void setDocumentController(ZVRevertDocController* controller);
  ZVRevertDocController* documentController() const { return controller_; }

  // The generator window, its state and commands.
  PasswordMakerController& passwordMaker() const { return *passwordMaker_; }
  void showPasswordMaker();

  // Push and pull's password, held outside the window until copied, timed out or withdrawn
  // by owner, the window it came from.
  void startPullPasswordPhase(const QString& password, const void* owner = nullptr);
  PasswordPullItem& pullItem();
  bool pullMenuIsOn() const { return pullItem_ && pullItem_->pullMenuIsOn(); }
  // The pull item shows an icon and one fixed command, no text of the password's: nothing to
  // make.
  void createStatusMenuWithPullString(const QString& pullString) { Q_UNUSED(pullString); }

  // Automatic lock: leaving the application starts the delay the settings give, coming back
  // cancels it, and when it runs out every open document is asked to lock itself. Coming
  // back also checks each document's file for another program's change.
  void applicationDidResignActive();
  void applicationDidBecomeActive();
  void AutomaticLockAllOpenedDocuments();
  AutomaticLockTimer& repeatingAutomaticLockTimer() { return automaticLock_; }

  ArrayRef fontFamilyArray() const { return fontFamilyArray_; }
  void setFontFamilyArray(ArrayRef families);

  void applicationWillFinishLaunching();
  void buildUpFontMenuAndBindProgrammatically();
  void applicationDidFinishLaunching();

  QString getUserGuideName() const override;
  QString getUserGuideNameWithThisRelNum() const override;
  QStringList allowedStartupDocExtensions() const override { return {QStringLiteral("qvlt")}; }
  void prepareApplicationWindow(QMainWindow* window) override;

  // Family names in plain, case-sensitive order ("Zapfino" before "aharoni").
  static QStringList sortedFamilies(QStringList families);

 Q_SIGNALS:
  void fontFamilyArrayChanged();

 protected:
  QMainWindow* makePreferencesWindow() override;

 private:
  // Follows the application's active state and the machine's wake from suspend.
  void watchActivationAndSleep();
  Q_SLOT void systemSleepChanged(bool goingToSleep);

  ZVRevertDocController* controller_ = nullptr;
  AutomaticLockTimer automaticLock_;
  std::unique_ptr<PasswordPullItem> pullItem_;
  Qt::ApplicationState appState_ = Qt::ApplicationInactive;
  std::unique_ptr<PasswordMakerController> passwordMaker_;
  ArrayRef fontFamilyArray_ = Array::create();
};
