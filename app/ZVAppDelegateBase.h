#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "app/AboutWindow.h"
#include "platform/UserDefaultsController.h"
#include "platform/UserInterfaceItem.h"

class DocumentController;
class QMainWindow;
class ZVPrefToolbarDelegate;
class QMenu;
class QWidget;
class UserDefaults;
class ZVPhoneHome;

// What any application of this family has: its name and release string, the preferences
// window, the start-up action and document, the maker's links, the user guide and the About
// window.
class ZVAppDelegateBase : public QObject {
  Q_OBJECT

 public:
  explicit ZVAppDelegateBase(UserDefaults& defaults, QObject* parent = nullptr);
  ~ZVAppDelegateBase() override;

  UserDefaults& defaults() const { return defaults_; }
  UserDefaultsController& defaultsController() { return defaultsController_; }

  // The controller the start-up steps create and open documents with.
  void setSharedDocumentController(DocumentController* controller);

  QPointer<QMenu> myHelpMenu;
  QPointer<QWidget> prefWindow;
  bool finishedLaunching = false;

  bool documentIsOpening() const { return documentIsOpening_; }
  void setDocumentIsOpening(bool opening);
  QString appName() const { return appName_; }
  QString releaseString() const { return releaseString_; }
  QString StartupDocPathMessageString() const { return startupDocPathMessage_; }
  void setStartupDocPathMessageString(const QString& message);
  bool StartupDocSpecified() const { return startupDocSpecified_; }
  void setStartupDocSpecified(bool specified);

  void adjustBeforeFinishingLaunching();

  // The preferences window, made the first time it is asked for.
  void openPreferences();
  void openPreferencesAtSenderTagTab(int tag) { openPreferencesAtTab(tag); }
  void openPreferencesAtTab(int index);
  ZVPrefToolbarDelegate* prefToolbarDelegate() const;

  // The start-up action chosen in the preferences, run once the launch has finished.
  static constexpr int kStartupDelayMs = 1000;
  void executeDocumentStartupAsInPref();
  void newDocIfNoDocOpened();
  void openDialogIfNoDocOpened();
  // The start-up document, from the preferences window.
  void selectStartupDoc();
  void clearStartupSelectedDoc();
  void testOpenStartupDoc();
  void showInFinderStartupDoc();
  void UseFrontDocumentAsStartupDoc() {}
  virtual QStringList allowedStartupDocExtensions() const { return {QString()}; }
  // Whether to make an untitled document when the launch brings none to open.
  virtual bool applicationShouldOpenUntitledFile();
  virtual bool validateUserInterfaceItem(const UserInterfaceItem& item);

  // Menu actions.
  void visitUs();
  void visitAppUrl();
  void visitTavrin();
  void visitTwitter();
  void emailUs();
  void emailTavrin();
  void checkForLastReleaseAvailable();
  // The release check; the subclass gives it the release, name and mirrors. Over the user's
  // own settings it is ZVPhoneHome::sharedPhoneHome().
  ZVPhoneHome& phoneHome() const { return *phoneHome_; }
  void openAppStorePage() {}
  void openAppStoreList() {}
  void appendMasHelp() {}
  void openUserGuide();
  void openAbout();
  AboutWindow* aboutWindow() const { return about_; }
  // Readies a window of the application's own (About, preferences, generator); the subclass
  // knows the commands they keep.
  virtual void prepareApplicationWindow(QMainWindow* window) { Q_UNUSED(window); }

  QString getAppStantment() const;
  virtual QString getUserGuideName() const { return {}; }
  virtual QString getUserGuideNameWithThisRelNum() const { return {}; }
  // The user's data folder stands in for Application Support ($XDG_DATA_HOME).
  virtual QString getUserGuideDirPath() const;
  QString getUserGuideFinalPath() const;
  // The path of a file installed with the application, or empty.
  static QString bundleResourcePath(const QString& name, const QString& type);
  // The application's icon, from PNGs built into the program: it needs neither an installed
  // icon theme nor the SVG image plug-in.
  static QIcon applicationIcon();

 Q_SIGNALS:
  // The start-up action has done all it does (its dialogs closed, its documents opened).
  void startupActionFinished();
  void documentIsOpeningChanged(bool opening);
  void StartupDocPathMessageStringChanged(const QString& message);
  void StartupDocSpecifiedChanged(bool specified);

 protected:
  // The subclass's preferences window and its pane switcher.
  virtual QMainWindow* makePreferencesWindow() { return nullptr; }

 private:
  // Opens the start-up document; renews a stale bookmark once the document is open.
  void openStartupDocument(const QString& path, bool stale);
  void renewStartupBookmark(const QString& savedPath);
  // The shared first steps of Test and Reveal: the bookmark resolved, its path kept current.
  QString resolveStartupDocForPreferences(bool& resolved, bool& stale);
  // The alert whose first button opens the preferences.
  void alertOpeningPreferences(const QString& message, const QString& informative);
  void finishStartupAction() { Q_EMIT startupActionFinished(); }
  static ZVPhoneHome* checkerFor(UserDefaults& defaults, QObject* owner);
  // Leaves step for after the start-up delay.
  void deferStartupStep(void (ZVAppDelegateBase::*step)());

  UserDefaults& defaults_;
  UserDefaultsController defaultsController_;
  DocumentController* documents_ = nullptr;
  bool documentIsOpening_ = false;
  QString appName_;
  QString releaseString_;
  QString startupDocPathMessage_;
  bool startupDocSpecified_ = true;
  QPointer<AboutWindow> about_;
  ZVPhoneHome* phoneHome_;
  QTimer startupTimer_{this};  // the delay of the step left for later
  void (ZVAppDelegateBase::*startupStep_)() = nullptr;
};
