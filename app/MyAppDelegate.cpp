#include "app/MyAppDelegate.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QFontDatabase>
#include <QPointer>
#include <algorithm>

#include "Common/AppIdentity.h"
#include "Common/ZV1IfNot0.h"
#include "Common/ZVAppSupportUtility.h"
#include "Common/ZVDictToNSColor.h"
#include "Common/ZVHeightForFontSize.h"
#include "Common/ZVNumberBoolToNumberNum.h"
#include "Common/ZVUrlResolutor.h"
#include "Common/ZVValueIsEqualToRef.h"
#include "Common/ZVValueNotEqualToRef.h"
#include "app/PasswordMakerController.h"
#include "app/PreferencesWindow.h"
#include "app/ReleaseFeedMirrors.h"
#include "app/ZVPhoneHome.h"
#include "app/ZVRevertDocController.h"
#include "platform/UserDefaults.h"
#include "platform/ValueTransformerRegistry.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

DictRef MyAppDelegate::registeredDefaultsDictionary() {
  auto d = Dictionary::create();
  const auto set = [&d](const char* key, Value v) {
    d->setValue(QString::fromLatin1(key), std::move(v));
  };
  set("notifyUpdate", Value::boolean(true));
  set("lastVersionUsedToUpdatePref", Value::integer(0));
  set("StartupActionTag", Value::integer(0));
  set("StartupSelectedDoc", Value(QString()));
  set("tableFontFamily", Value(QStringLiteral("Lucida Grande")));
  set("tableFontSize", Value::real(12.0));
  set("tableFontBold", Value::boolean(false));
  set("tableFontItalic", Value::boolean(false));
  set("openingSortBy", Value::integer(0));
  set("autosavingDelay", Value::integer(20));
  set("automaticSavingInterval", Value::integer(40));
  set("autolocBackgroundEnabled", Value::boolean(false));
  set("autolocBackgroundInterval", Value::integer(120));
  set("disposePasswordIconAfter", Value::integer(20));
  set("noCharStringDisambiguator", Value(QStringLiteral("0O1lI")));
  set("tableSortCompare", Value::integer(2));
  set("notifyHudTimer", Value::integer(10));
  set("useHudNotifyForCopy", Value::boolean(true));
  return d;
}

void MyAppDelegate::initialize(UserDefaults& defaults) {
  defaults.registerDefaults(registeredDefaultsDictionary());
}

MyAppDelegate::MyAppDelegate(UserDefaults& defaults, QObject* parent)
    : ZVAppDelegateBase(defaults, parent) {
  const auto put = [](std::shared_ptr<const ValueTransformer> t, const char* name) {
    ValueTransformerRegistry::setValueTransformer(std::move(t), QString::fromLatin1(name));
  };
  put(std::make_shared<ZVValueIsEqualToRef>(0), "valueIs0");
  put(std::make_shared<ZVValueIsEqualToRef>(1), "valueIs1");
  put(std::make_shared<ZVValueIsEqualToRef>(3), "valueIs3");
  put(std::make_shared<ZVDictToNSColor>(), "dictToNSColor");
  put(std::make_shared<ZVValueNotEqualToRef>(0), "valueNot0");
  put(std::make_shared<ZV1IfNot0>(), "ret1ifnot0");
  put(std::make_shared<ZVHeightForFontSize>(), "heightAmplifier");
  put(std::make_shared<ZVNumberBoolToNumberNum>(), "bool2Num");

  phoneHome().SetValueAppRelease(
      AppIdentity::kReleaseNumber, AppIdentity::kShortName,
      QString::fromLatin1(kReleaseFeedMirrors[0]), QString::fromLatin1(kReleaseFeedMirrors[1]),
      QString::fromLatin1(kReleaseFeedMirrors[2]), QString::fromLatin1(kReleaseFeedMirrors[3]));
  // Reverting a preference returns it to its registered value.
  defaultsController().setInitialValues(registeredDefaultsDictionary());

  MyDocument::setDocumentOpeningNotifier([this] { setDocumentIsOpening(true); });
  passwordMaker_ = std::make_unique<PasswordMakerController>(
      defaults, [this](QMainWindow* window) { prepareApplicationWindow(window); });
  VaultDocumentWindow::setPasswordPuller([this](const QString& password, const void* owner) {
    startPullPasswordPhase(password, owner);
  });
  ZVUrlResolutor::sharedUrlResolutor().setOpener(
      [](const QUrl& url) { return ZVAppSupportUtility::openURL(url); });
  connect(&automaticLock_, &AutomaticLockTimer::lockDue, this,
          &MyAppDelegate::AutomaticLockAllOpenedDocuments);
  watchActivationAndSleep();
}

void MyAppDelegate::watchActivationAndSleep() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return;
  connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    // Inactive, then hidden, is one departure: the delay counts from the first.
    if (state == Qt::ApplicationActive)
      applicationDidBecomeActive();
    else if (appState_ == Qt::ApplicationActive)
      applicationDidResignActive();
    appState_ = state;
  });
  QDBusConnection::systemBus().connect(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
      SLOT(systemSleepChanged(bool)));
}

PasswordPullItem& MyAppDelegate::pullItem() {
  // Made on first use: its icon needs the GUI, which a delegate in a console test lacks.
  if (!pullItem_) pullItem_ = std::make_unique<PasswordPullItem>();
  return *pullItem_;
}

void MyAppDelegate::startPullPasswordPhase(const QString& password, const void* owner) {
  pullItem().startPullPasswordPhase(
      password, defaults().integerForKey(QStringLiteral("disposePasswordIconAfter")), owner);
}

void MyAppDelegate::systemSleepChanged(bool goingToSleep) {
  if (!goingToSleep) automaticLock_.checkDeadline();
}

void MyAppDelegate::applicationDidResignActive() {
  if (!defaults().boolForKey(QStringLiteral("autolocBackgroundEnabled"))) return;
  automaticLock_.setAutomaticLockWithTimeInterval(
      defaults().integerForKey(QStringLiteral("autolocBackgroundInterval")));
}

void MyAppDelegate::applicationDidBecomeActive() {
  automaticLock_.setAutomaticLockWithTimeInterval(0);
  if (!controller_) return;
  // Another program (a sync tool) may have replaced a file meanwhile. Reverting may close
  // windows; the list is copied first.
  const std::vector<Document*> documents = controller_->documents();
  for (Document* document : documents) document->checkFileAfterActivation();
}

void MyAppDelegate::AutomaticLockAllOpenedDocuments() {
  if (!controller_) return;
  // Locking may close windows; the list is copied first.
  const std::vector<Document*> documents = controller_->documents();
  for (Document* document : documents)
    if (auto* vault = qobject_cast<MyDocument*>(document)) vault->lockAutomatically();
}

// Documents made after this delegate (tests make several) must not call into it.
MyAppDelegate::~MyAppDelegate() {
  MyDocument::setDocumentOpeningNotifier({});
  VaultDocumentWindow::setPasswordPuller({});
}

void MyAppDelegate::setDocumentController(ZVRevertDocController* controller) {
  controller_ = controller;
  setSharedDocumentController(controller);
}

QMainWindow* MyAppDelegate::makePreferencesWindow() { return new PreferencesWindow(*this); }

void MyAppDelegate::setFontFamilyArray(ArrayRef families) {
  fontFamilyArray_ = families ? std::move(families) : Array::create();
  Q_EMIT fontFamilyArrayChanged();
}

QStringList MyAppDelegate::sortedFamilies(QStringList families) {
  std::sort(families.begin(), families.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseSensitive) < 0; });
  return families;
}

void MyAppDelegate::applicationWillFinishLaunching() {
  adjustBeforeFinishingLaunching();
  buildUpFontMenuAndBindProgrammatically();
}

void MyAppDelegate::buildUpFontMenuAndBindProgrammatically() {
  auto list = Array::create();
  for (const QString& family : sortedFamilies(QFontDatabase::families())) {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("font"), family);
    list->append(entry);
  }
  setFontFamilyArray(list);
}

void MyAppDelegate::applicationDidFinishLaunching() {
  // Read once: a later change of the setting applies from the next launch.
  if (controller_)
    controller_->setAutosavingDelay(
        static_cast<double>(defaults().integerForKey(QStringLiteral("autosavingDelay"))));
  executeDocumentStartupAsInPref();
  phoneHome().startupProcedure();
  finishedLaunching = true;
}

void MyAppDelegate::showPasswordMaker() { passwordMaker_->showPasswordMaker(); }

QString MyAppDelegate::getUserGuideName() const { return AppIdentity::kUserGuideName; }

QString MyAppDelegate::getUserGuideNameWithThisRelNum() const {
  return AppIdentity::kUserGuideName + QLatin1Char(' ') + releaseString();
}

void MyAppDelegate::prepareApplicationWindow(QMainWindow* window) {
  // A utility window carries no menu bar, as on other Linux desktops' programs; closing it
  // and quitting keep their keys.
  auto* close = new QAction(window);
  close->setShortcut(QKeySequence::Close);
  connect(close, &QAction::triggered, window, &QWidget::close);
  auto* quit = new QAction(window);
  quit->setShortcut(QKeySequence::Quit);
  QPointer<ZVRevertDocController> controller(controller_);
  connect(quit, &QAction::triggered, window, [controller] {
    if (controller) controller->reviewUnsavedDocumentsAndQuit();
  });
  window->addActions({close, quit});
}
