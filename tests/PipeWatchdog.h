#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Frees a reader that blocks on a named pipe, so that a test of code that must not block fails
// instead of hanging the suite. After the delay it keeps opening the pipe's writing end and
// closing it again: a reader waiting in open then returns and meets the end of the file.
// fired() tells whether it had to.
class PipeWatchdog {
 public:
  explicit PipeWatchdog(const QString& path,
                        std::chrono::milliseconds delay = std::chrono::seconds(20))
      : path_(QFile::encodeName(path)), thread_([this, delay] { watch(delay); }) {}
  ~PipeWatchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  bool fired() const { return fired_; }

 private:
  void watch(std::chrono::milliseconds delay) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, delay, [this] { return stopped_; })) return;
    fired_ = true;
    while (!wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stopped_; })) {
      // Succeeds only while someone has the pipe open for reading, a blocked open included.
      const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) ::close(fd);
    }
  }

  const QByteArray path_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopped_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};
