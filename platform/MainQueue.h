#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <functional>

// Steps deferred to the main event loop: they run after the current event (a sheet's
// completion, say) has returned.
class MainQueue {
 public:
  static void defer(std::function<void()> step) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(step), Qt::QueuedConnection);
  }
  // Runs the deferred steps queued so far (tests, and nested flows that must settle).
  static void drain() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }
};
