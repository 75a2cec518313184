#pragma once

#include <memory>

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
  bool pullMenuIsOn = false;

  ArrayRef fontFamilyArray() const { return fontFamilyArray_; }
  void setFontFamilyArray(ArrayRef families);

  void applicationWillFinishLaunching();
  void buildUpFontMenuAndBindProgrammatically();
  void applicationDidFinishLaunching();

  bool validateUserInterfaceItem(const UserInterfaceItem& item) override;
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
  // Whether the active window is that of a locked document.
  bool activeDocumentIsLocked() const;

  ZVRevertDocController* controller_ = nullptr;
  std::unique_ptr<PasswordMakerController> passwordMaker_;
  ArrayRef fontFamilyArray_ = Array::create();
};
