#pragma once

#include <QStringList>
#include <memory>

class MyAppDelegate;
class UserDefaults;
class ZVRevertDocController;

// The launch in its order: settings registered, delegate and document controller made, the
// will-finish steps, the documents asked for (or an untitled one), the did-finish steps.
// The delegate and the controller live as long as this object, that is, the whole process.
class ApplicationLaunch {
 public:
  explicit ApplicationLaunch(UserDefaults& defaults);
  // With that document controller in place of the application's own (tests).
  ApplicationLaunch(UserDefaults& defaults, std::unique_ptr<ZVRevertDocController> controller);
  ~ApplicationLaunch();

  void run(const QStringList& filesToOpen);

  MyAppDelegate& delegate() const { return *delegate_; }
  ZVRevertDocController& controller() const { return *controller_; }

 private:
  std::unique_ptr<MyAppDelegate> delegate_;
  std::unique_ptr<ZVRevertDocController> controller_;
};
