#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {
constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};
int pipeEnds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a wake-up; a lost repeat changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
  errno = saved;
}

void restoreDefaults() {
  for (int number : kSignals) std::signal(number, SIG_DFL);
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals)
    if (::sigaction(number, &action, nullptr) != 0) {
      restoreDefaults();
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      pipeEnds[0] = pipeEnds[1] = -1;
      return;
    }
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  restoreDefaults();
  notifier_.reset();
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
  pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::readPipe() {
  unsigned char numbers[16];
  for (;;) {
    const ssize_t n = ::read(pipeEnds[0], numbers, sizeof numbers);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) Q_EMIT received(numbers[i]);
  }
}
