#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {
constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};
int pipeEnds[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previous{};

extern "C" void onTerminationSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a wake-up; a lost repeat changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
  errno = saved;
}

// The handlers there were before, from the first signal up to (not including) end.
void restorePrevious(std::size_t end = kSignals.size()) {
  for (std::size_t i = 0; i < end; ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (::sigaction(kSignals[i], &action, &previous[i]) != 0) {
      restorePrevious(i);
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      pipeEnds[0] = pipeEnds[1] = -1;
      return;
    } else if (previous[i].sa_handler == SIG_IGN) {
      // Ignored by whoever started the program (nohup): it stays ignored.
      ::sigaction(kSignals[i], &previous[i], nullptr);
    }
  }
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  restorePrevious();
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
