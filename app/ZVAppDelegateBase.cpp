#include "app/ZVAppDelegateBase.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"
#include "Common/ZVBookmark.h"
#include "Common/ZVTransformerClasses.h"
#include "Common/ZVValueNotEqualToRef.h"
#include "app/AboutWindow.h"
#include "app/FileReveal.h"
#include "app/UserGuideInstaller.h"
#include "app/ZVPhoneHome.h"
#include "app/ZVPrefToolbarDelegate.h"
#include "platform/Alert.h"
#include "platform/DocumentController.h"
#include "platform/MainQueue.h"
#include "platform/NetworkUrlLoader.h"
#include "platform/OpenPanel.h"
#include "platform/UserDefaults.h"
#include "platform/ValueTransformerRegistry.h"

namespace {
const QString kActionKey = QStringLiteral("StartupActionTag");
const QString kPathKey = QStringLiteral("StartupSelectedDocPath");
const QString kBookmarkKey = QStringLiteral("StartupSelectedDocBookmark");
const QString kPleaseSelect = QStringLiteral("Please select a file or change startup option");
const QString kStale = QStringLiteral("Stale bookmark. Please re-select");
const QString kNotValid = QStringLiteral("Not valid bookmark. Please re-select");
}  // namespace

ZVPhoneHome* ZVAppDelegateBase::checkerFor(UserDefaults& defaults, QObject* owner) {
  // The user's own settings share the application's one checker; another store (a second
  // profile, a test) gets one of its own, so that its check dates stay in it.
  if (&defaults == &UserDefaults::standardUserDefaults()) return &ZVPhoneHome::sharedPhoneHome();
  return new ZVPhoneHome(defaults, std::make_unique<NetworkUrlLoader>(NetworkUrlLoader::Options{}),
                         owner);
}

ZVAppDelegateBase::ZVAppDelegateBase(UserDefaults& defaults, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      defaultsController_(defaults),
      appName_(AppIdentity::kAppName),
      releaseString_(ZVAppSupportUtility::calcReleaseString(AppIdentity::kReleaseNumber)),
      phoneHome_(checkerFor(defaults, this)) {
  startupTimer_.setObjectName(QStringLiteral("startupTimer"));
  startupTimer_.setSingleShot(true);
  connect(&startupTimer_, &QTimer::timeout, this, [this] {
    if (const auto step = std::exchange(startupStep_, nullptr)) (this->*step)();
  });
  ZVTransformerClasses::registerAll();
  ValueTransformerRegistry::setValueTransformer(std::make_shared<ZVValueNotEqualToRef>(0),
                                                QStringLiteral("valueNot0"));
}

ZVAppDelegateBase::~ZVAppDelegateBase() {
  delete about_;
  delete prefWindow;
}

void ZVAppDelegateBase::setSharedDocumentController(DocumentController* controller) {
  documents_ = controller;
  if (!controller) return;
  connect(controller, &DocumentController::documentAdded, this, [this](Document* document) {
    connect(document, &Document::documentSaved, this, &ZVAppDelegateBase::renewStartupBookmark);
  });
}

// A save puts a new file in the old one's place: the start-up document's bookmark must name
// the new one, or a later rename of the file could not be followed.
void ZVAppDelegateBase::renewStartupBookmark(const QString& savedPath) {
  const QString chosen = defaults_.stringForKey(kPathKey);
  if (chosen.isEmpty()) return;
  const QString saved = QFileInfo(savedPath).canonicalFilePath();
  if (chosen != savedPath && QFileInfo(chosen).canonicalFilePath() != saved) return;
  if (auto renewed = ZVBookmark::bookmarkForURL_RW(savedPath)) {
    defaults_.setObject(kBookmarkKey, Value::data(renewed.value()));
    defaults_.setString(kPathKey, savedPath);
  }
}

void ZVAppDelegateBase::setDocumentIsOpening(bool opening) {
  if (documentIsOpening_ == opening) return;
  documentIsOpening_ = opening;
  Q_EMIT documentIsOpeningChanged(opening);
}

void ZVAppDelegateBase::setStartupDocPathMessageString(const QString& message) {
  if (startupDocPathMessage_ == message) return;
  startupDocPathMessage_ = message;
  Q_EMIT StartupDocPathMessageStringChanged(message);
}

void ZVAppDelegateBase::setStartupDocSpecified(bool specified) {
  if (startupDocSpecified_ == specified) return;
  startupDocSpecified_ = specified;
  Q_EMIT StartupDocSpecifiedChanged(specified);
}

void ZVAppDelegateBase::adjustBeforeFinishingLaunching() {
  // "Software Update…" sits in each window's Help menu (Linux has no application menu);
  // the menus are built with the windows.
  if (defaults_.stringForKey(kPathKey).isEmpty()) {
    setStartupDocPathMessageString(kPleaseSelect);
    setStartupDocSpecified(false);
  }
}

bool ZVAppDelegateBase::applicationShouldOpenUntitledFile() {
  return defaults_.integerForKey(kActionKey) == 0;
}

void ZVAppDelegateBase::openPreferences() {
  if (!prefWindow) {
    QMainWindow* window = makePreferencesWindow();
    if (!window) return;
    prepareApplicationWindow(window);
    prefWindow = window;
  }
  if (!prefWindow->isVisible()) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect area = prefWindow->frameGeometry();
      area.moveCenter(screen->availableGeometry().center());
      prefWindow->move(area.topLeft());
    }
  }
  prefWindow->show();
  prefWindow->raise();
  prefWindow->activateWindow();
}

void ZVAppDelegateBase::openPreferencesAtTab(int index) {
  openPreferences();
  if (ZVPrefToolbarDelegate* panes = prefToolbarDelegate()) panes->SetPanelTab(index);
}

ZVPrefToolbarDelegate* ZVAppDelegateBase::prefToolbarDelegate() const {
  return prefWindow ? prefWindow->findChild<ZVPrefToolbarDelegate*>() : nullptr;
}

void ZVAppDelegateBase::alertOpeningPreferences(const QString& message,
                                                const QString& informative) {
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("Open Preferences"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  alert.messageText = message;
  alert.informativeText = informative;
  alert.alertStyle = Alert::Style::Warning;
  if (alert.runModal() == Alert::FirstButtonReturn) openPreferences();
}

void ZVAppDelegateBase::executeDocumentStartupAsInPref() {
  switch (defaults_.integerForKey(kActionKey)) {
    case 0:
      deferStartupStep(&ZVAppDelegateBase::newDocIfNoDocOpened);
      return;
    case 1:
      deferStartupStep(&ZVAppDelegateBase::openDialogIfNoDocOpened);
      return;
    case 2:
      if (documents_) documents_->openDocument();
      finishStartupAction();
      return;
    case 3:
      break;
    default:
      finishStartupAction();
      return;
  }
  if (defaults_.stringForKey(kPathKey).isEmpty()) {
    MainQueue::defer([this] {
      setStartupDocPathMessageString(kPleaseSelect);
      setStartupDocSpecified(false);
      alertOpeningPreferences(
          QStringLiteral("Preference was set to open at startup a document without specifying it"),
          QStringLiteral("You can fix the problem in the preferences"));
      finishStartupAction();
    });
    return;
  }
  bool stale = false;
  const auto resolved = ZVBookmark::urlForBookmark(defaults_.dataForKey(kBookmarkKey), stale);
  if (stale) setStartupDocPathMessageString(kStale);
  if (!resolved) {
    // The recorded path stays: the drive may only be unmounted for now.
    setStartupDocPathMessageString(kNotValid);
    setStartupDocSpecified(true);
    alertOpeningPreferences(
        QStringLiteral("The system is negating the access to the document selected to be opened "
                       "at startup"),
        QStringLiteral("It must be re-selected in the preferences"));
    finishStartupAction();
    return;
  }
  openStartupDocument(resolved.value(), stale);
  finishStartupAction();
}

void ZVAppDelegateBase::deferStartupStep(void (ZVAppDelegateBase::*step)()) {
  startupStep_ = step;
  startupTimer_.start(kStartupDelayMs);
}

void ZVAppDelegateBase::openStartupDocument(const QString& path, bool stale) {
  if (!documents_) return;
  // A file that is no vault, or cannot be read, is reported as any failed open is.
  documents_->openFiles({path});
  if (!stale || !documents_->documentForURL(path)) return;
  if (auto renewed = ZVBookmark::bookmarkForURL_RW(path)) {
    defaults_.setObject(kBookmarkKey, Value::data(renewed.value()));
    defaults_.setString(kPathKey, path);
    setStartupDocPathMessageString(QString());
    setStartupDocSpecified(true);
  }
}

void ZVAppDelegateBase::newDocIfNoDocOpened() {
  if (documents_ && documents_->documents().empty() && !documentIsOpening())
    documents_->newDocument();
  finishStartupAction();
}

void ZVAppDelegateBase::openDialogIfNoDocOpened() {
  if (documents_ && documents_->documents().empty() && !documentIsOpening())
    documents_->openDocument();
  finishStartupAction();
}

void ZVAppDelegateBase::selectStartupDoc() {
  const Document* front = documents_ ? documents_->currentDocument() : nullptr;
  const QStringList chosen = OpenPanel::chooseFiles(
      prefWindow, {QStringLiteral("Select"), QStringLiteral("Select"),
                   allowedStartupDocExtensions(), false, front ? front->fileURL() : QString()});
  if (chosen.isEmpty()) return;
  const QString& path = chosen.last();
  if (auto bookmark = ZVBookmark::bookmarkForURL_RW(path))
    defaults_.setObject(kBookmarkKey, Value::data(bookmark.value()));
  else
    defaults_.removeObjectForKey(kBookmarkKey);
  defaults_.setString(kPathKey, path);
  setStartupDocPathMessageString(QString());
  setStartupDocSpecified(true);
}

void ZVAppDelegateBase::clearStartupSelectedDoc() {
  defaults_.setObject(kBookmarkKey, Value::data(QByteArray()));
  defaults_.setString(kPathKey, QString());
  setStartupDocPathMessageString(kPleaseSelect);
  setStartupDocSpecified(false);
}

QString ZVAppDelegateBase::resolveStartupDocForPreferences(bool& resolved, bool& stale) {
  const auto url = ZVBookmark::urlForBookmark(defaults_.dataForKey(kBookmarkKey), stale);
  resolved = url.ok();
  if (stale) setStartupDocPathMessageString(kStale);
  if (!url) return {};  // the recorded path stays, as at launch
  if (url.value() != defaults_.stringForKey(kPathKey)) defaults_.setString(kPathKey, url.value());
  return url.value();
}

void ZVAppDelegateBase::testOpenStartupDoc() {
  bool resolved = false;
  bool stale = false;
  const QString path = resolveStartupDocForPreferences(resolved, stale);
  if (resolved) openStartupDocument(path, stale);
}

void ZVAppDelegateBase::showInFinderStartupDoc() {
  bool resolved = false;
  bool stale = false;
  const QString path = resolveStartupDocForPreferences(resolved, stale);
  if (resolved && QFileInfo::exists(path)) FileReveal::revealInFileManager(path);
}

bool ZVAppDelegateBase::validateUserInterfaceItem(const UserInterfaceItem&) { return true; }

void ZVAppDelegateBase::visitUs() { ZVAppSupportUtility::visitUs(); }
void ZVAppDelegateBase::visitAppUrl() { ZVAppSupportUtility::visitAppUrl(); }
void ZVAppDelegateBase::visitTavrin() { ZVAppSupportUtility::visitTavrin(); }
void ZVAppDelegateBase::visitTwitter() { ZVAppSupportUtility::visitTwitter(); }
void ZVAppDelegateBase::emailUs() { ZVAppSupportUtility::emailUs(); }
void ZVAppDelegateBase::emailTavrin() { ZVAppSupportUtility::emailUs(); }

void ZVAppDelegateBase::checkForLastReleaseAvailable() {
  phoneHome_->checkForLastReleaseAvailableWithNotify();
}

QString ZVAppDelegateBase::getAppStantment() const {
  // The desktop edition runs on Linux; the statement names the systems the product is for.
  return QStringLiteral("The password manager for Linux and iOS");
}

QString ZVAppDelegateBase::getUserGuideDirPath() const {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
         getUserGuideName();
}

QString ZVAppDelegateBase::getUserGuideFinalPath() const {
  return getUserGuideDirPath() + QLatin1Char('/') + getUserGuideNameWithThisRelNum() +
         QStringLiteral(".pdf");
}

QString ZVAppDelegateBase::bundleResourcePath(const QString& name, const QString& type) {
  if (name.isEmpty()) return {};
  const QString file = name + QLatin1Char('.') + type;
  const QString dir = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {dir + QLatin1Char('/') + file, dir + QStringLiteral("/../share/quorlith/") + file})
    if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
  return {};
}

QIcon ZVAppDelegateBase::applicationIcon() {
  QIcon icon;
  for (const QFileInfo& png :
       QDir(QStringLiteral(":/icons")).entryInfoList({QStringLiteral("*.png")}))
    icon.addFile(png.filePath());
  return icon;
}

void ZVAppDelegateBase::openUserGuide() {
  if (getUserGuideName().isEmpty()) return;
  const QString source = bundleResourcePath(getUserGuideName(), QStringLiteral("pdf"));
  const QString target = UserGuideInstaller(getUserGuideName(), getUserGuideNameWithThisRelNum())
                             .install(source, getUserGuideDirPath());
  if (target.isEmpty()) return;
  if (ZVAppSupportUtility::openURL(QUrl::fromLocalFile(target))) return;
  // Without a PDF viewer the desktop opens nothing; the user can still find the file.
  Alert alert;
  alert.alertStyle = Alert::Style::Informational;
  alert.messageText = QStringLiteral("The user guide could not be opened.");
  alert.informativeText =
      QFileInfo(target).isFile()
          ? QStringLiteral("No program for PDF files was found. The guide is the file “%1”.")
                .arg(QDir::toNativeSeparators(target))
          : QStringLiteral("The guide's file “%1” is missing.")
                .arg(QDir::toNativeSeparators(target));
  alert.beginSheetModalForWindow(QApplication::activeWindow(), {});
}

void ZVAppDelegateBase::openAbout() {
  if (!about_) {
    about_ = new AboutWindow(appName_, getAppStantment(), releaseString_);
    prepareApplicationWindow(about_);
  }
  if (!about_->isVisible()) {
    about_->setWindowTitle(QStringLiteral("About %1").arg(appName_));
    about_->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect area = about_->frameGeometry();
      area.moveCenter(screen->availableGeometry().center());
      about_->move(area.topLeft());
    }
  }
  about_->show();
  about_->raise();
  about_->activateWindow();
}
