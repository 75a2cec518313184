#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

// The automatic lock's one pending deadline: set when the application goes to the background,
// cancelled when it comes back. It is kept on Clock::bootMs, which runs on while the machine
// sleeps, so time spent suspended counts, and is checked again on wake.
class AutomaticLockTimer : public QObject {
  Q_OBJECT

 public:
  explicit AutomaticLockTimer(QObject* parent = nullptr);

  // The delay that seconds asks for: none below 1, else at least 30 seconds.
  static std::optional<qint64> delayMs(qint64 seconds);

  // Replaces the pending deadline; below 1 second none is left.
  void setAutomaticLockWithTimeInterval(qint64 seconds);
  bool isPending() const { return deadline_.has_value(); }

  // Fires lockDue when the deadline has passed, else waits for the rest. Also for the wake
  // from suspend, which the event loop's timers do not count.
  void checkDeadline();

 Q_SIGNALS:
  void lockDue();

 private:
  std::optional<qint64> deadline_;
  QTimer wakeUp_;
};
