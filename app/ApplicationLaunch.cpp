#include "app/ApplicationLaunch.h"

#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/UserDefaults.h"

ApplicationLaunch::ApplicationLaunch(UserDefaults& defaults)
    : ApplicationLaunch(defaults, std::make_unique<ZVRevertDocController>()) {}

ApplicationLaunch::ApplicationLaunch(UserDefaults& defaults,
                                     std::unique_ptr<ZVRevertDocController> controller)
    : controller_(std::move(controller)) {
  MyAppDelegate::initialize(defaults);
  delegate_ = std::make_unique<MyAppDelegate>(defaults);
  controller_->setAppDelegate(delegate_.get());
  delegate_->setDocumentController(controller_.get());
}

ApplicationLaunch::~ApplicationLaunch() {
  // Documents first: their windows reach the delegate's menus.
  controller_->closeAllDocuments();
  controller_.reset();
  delegate_.reset();
}

void ApplicationLaunch::run(const QStringList& filesToOpen) {
  delegate_->applicationWillFinishLaunching();
  if (!filesToOpen.isEmpty()) {
    // Asked for, even when refused (in use elsewhere, damaged): the start-up action's
    // untitled document must not take the place of the file whose error was shown.
    delegate_->setDocumentIsOpening(true);
    controller_->openFiles(filesToOpen);
  } else if (delegate_->applicationShouldOpenUntitledFile())
    controller_->newDocument();
  delegate_->applicationDidFinishLaunching();
}
