#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns SIGTERM, SIGHUP and SIGINT into a signal on the main thread. The handler only writes
// the signal's number to a pipe (all it may safely do); the pipe's reader, on the event loop,
// says which one came. One instance at a time: it holds the handlers while it lives and puts
// back the ones before it.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe or a handler could not be set up: the signals end the program as
  // they would without it.
  bool isWatching() const { return notifier_ != nullptr; }

 Q_SIGNALS:
  void received(int signalNumber);

 private:
  void readPipe();

  std::unique_ptr<QSocketNotifier> notifier_;
};
