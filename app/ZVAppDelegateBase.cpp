#include "app/ZVAppDelegateBase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"
#include "Common/ZVTransformerClasses.h"
#include "Common/ZVValueNotEqualToRef.h"
#include "app/AboutWindow.h"
#include "app/UserGuideInstaller.h"
#include "platform/UserDefaults.h"
#include "platform/ValueTransformerRegistry.h"

ZVAppDelegateBase::ZVAppDelegateBase(UserDefaults& defaults, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      appName_(app_identity::kAppName),
      releaseString_(ZVAppSupportUtility::calcReleaseString(app_identity::kReleaseNumber)) {
  zv_transformer_classes::registerAll();
  ValueTransformerRegistry::setValueTransformer(std::make_shared<ZVValueNotEqualToRef>(0),
                                                QStringLiteral("valueNot0"));
}

ZVAppDelegateBase::~ZVAppDelegateBase() { delete about_; }

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
  if (defaults_.stringForKey(QStringLiteral("StartupSelectedDocPath")).isEmpty()) {
    setStartupDocPathMessageString(QStringLiteral("Please select a file or change startup option"));
    setStartupDocSpecified(false);
  }
}

bool ZVAppDelegateBase::applicationShouldOpenUntitledFile() {
  return defaults_.integerForKey(QStringLiteral("StartupActionTag")) == 0;
}

bool ZVAppDelegateBase::validateUserInterfaceItem(const UserInterfaceItem&) { return true; }

void ZVAppDelegateBase::visitUs() { ZVAppSupportUtility::visitUs(); }
void ZVAppDelegateBase::visitAppUrl() { ZVAppSupportUtility::visitAppUrl(); }
void ZVAppDelegateBase::visitTavrin() { ZVAppSupportUtility::visitTavrin(); }
void ZVAppDelegateBase::visitTwitter() { ZVAppSupportUtility::visitTwitter(); }
void ZVAppDelegateBase::emailUs() { ZVAppSupportUtility::emailUs(); }
void ZVAppDelegateBase::emailTavrin() { ZVAppSupportUtility::emailUs(); }

// The release check arrives with its own window; until then the command does nothing.
void ZVAppDelegateBase::checkForLastReleaseAvailable() {}

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
  if (!target.isEmpty()) ZVAppSupportUtility::openURL(QUrl::fromLocalFile(target));
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
