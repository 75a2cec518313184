#include "app/ProgramMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>
#include <cstdio>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"
#include "app/ApplicationLaunch.h"
#include "app/CoreDumps.h"
#include "app/MyAppDelegate.h"
#include "app/TerminationSignals.h"
#include "app/ZVAppDelegateBase.h"
#include "app/ZVRevertDocController.h"
#include "platform/UserDefaults.h"

int programMain(int argc, char** argv, const std::function<void(ApplicationLaunch&)>& launched) {
  // Before anything reads a password into memory.
  if (!disableCoreDumps()) std::fprintf(stderr, "quorlith: could not turn off core dumps\n");
  // The file dialogs are the program's own windows, not the desktop's: being in one is not
  // leaving the application, so the automatic lock keeps its delay for when the user leaves.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication application(argc, argv);
  QApplication::setApplicationName(AppIdentity::kShortName);
  QApplication::setApplicationDisplayName(AppIdentity::kShortName);
  QApplication::setApplicationVersion(
      ZVAppSupportUtility::calcReleaseString(AppIdentity::kReleaseNumber));
  QApplication::setDesktopFileName(QStringLiteral("quorlith"));
  QApplication::setWindowIcon(ZVAppDelegateBase::applicationIcon());
  // Linux convention: the last window closed ends the program.
  QApplication::setQuitOnLastWindowClosed(true);

  QCommandLineParser options;
  options.setApplicationDescription(QStringLiteral("A password manager for vault documents."));
  options.addHelpOption();
  options.addVersionOption();
  options.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Vault documents to open."),
                                QStringLiteral("[files…]"));
  options.process(application);

  ApplicationLaunch launch(UserDefaults::standardUserDefaults());
  // The start-up action may show its dialog or alert only after a second, or after the event
  // loop has started; until it is done, no window closing ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(&launch.delegate(), &ZVAppDelegateBase::startupActionFinished, &application, [] {
    QApplication::setQuitOnLastWindowClosed(true);
    // Nothing opened (a refused file, a cancelled dialog): nothing would ever
    // close to quit.
    bool anyWindow = false;
    for (QWidget* window : QApplication::topLevelWidgets()) anyWindow |= window->isVisible();
    if (!anyWindow) QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
  });
  // An end nobody is asked about saves what it can, closes every document (which removes its
  // lock file) and exits with success: a signal, or the session's end.
  ZVRevertDocController& controller = launch.controller();
  TerminationSignals terminationSignals;
  QObject::connect(&terminationSignals, &TerminationSignals::received, &application, [&controller] {
    controller.closeAllDocumentsSaving();
    QApplication::exit(0);
  });
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &application,
                   [&controller](QSessionManager&) { controller.saveEditedDocuments(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &application,
                   [&controller] { controller.closeAllDocumentsSaving(); });
  launch.run(options.positionalArguments());
  if (launched) launched(launch);
  return application.exec();
}
