// The real program started as the user starts it, each start a fresh child process on the
// offscreen platform, the kinds of start taken in turn in every round so that the machine's
// load falls on all of them alike; the counters are medians of the rounds.
// - BM_FirstWindow: from the fork to the first paint of a window, for a bare QMainWindow with
//   a QTableView (the floor), the program with no file (its untitled window), and the program
//   opening a 3-record and a 100,000-record vault (their locked windows).
//   Each kind of start is also given in processor time (_cpu_ms), which the load of a shared
//   machine leaves as it is.
// - BM_OpenUnlockPeak: the peak resident memory (VmHWM) of the program that opens and unlocks
//   the 100,000-record vault from its window, then closes it and does the same again, beside
//   the file's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/ApplicationLaunch.h"
#include "app/ProgramMain.h"
#include "app/ZVRevertDocController.h"
#include "bench/BenchVault.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

namespace {

const char kModeVariable[] = "QV_BENCH_LAUNCH_MODE";
const char kStartVariable[] = "QV_BENCH_LAUNCH_START";

qint64 monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// VmHWM of this process, in kB.
qint64 peakResidentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return -1;
}

// In the child: ends it at the first paint of a window, telling the milliseconds since the
// parent's fork.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window()->isVisible()) {
      const qint64 start = qEnvironmentVariable(kStartVariable).toLongLong();
      std::printf("%.3f\n", double(monotonicNanoseconds() - start) / 1e6);
      std::fflush(stdout);
      std::_Exit(0);
    }
    return false;
  }
};

void watchForFirstPaint() {
  if (!qEnvironmentVariableIsSet(kModeVariable) ||
      qEnvironmentVariable(kModeVariable) == QLatin1String("unlock"))
    return;
  qApp->installEventFilter(new FirstPaint);
}
// Before anything the program does: the filter is in place when its first window shows.
Q_COREAPP_STARTUP_FUNCTION(watchForFirstPaint)

// In the child: types the password into the locked window of the only document and returns
// whether it unlocked.
bool unlockFromTheWindow(ZVRevertDocController& controller) {
  if (controller.documents().size() != 1) return false;
  auto* doc = qobject_cast<MyDocument*>(controller.documents().front());
  VaultDocumentWindow* window = doc ? controller.windowOf(doc) : nullptr;
  if (!window) return false;
  QCoreApplication::processEvents();
  window->passwordField()->setText(kBenchPassword);
  Q_EMIT window->passwordField()->returnPressed();
  QCoreApplication::processEvents();
  return doc->isDecrypted();
}

// The child of BM_OpenUnlockPeak: opens and unlocks, closes, opens and unlocks again, and
// tells the peak after each unlock.
int openUnlockTwice(int argc, char** argv) {
  return programMain(argc, argv, [](ApplicationLaunch& launch) {
    QMetaObject::invokeMethod(
        qApp,
        [&launch] {
          ZVRevertDocController& controller = launch.controller();
          const QString path = controller.documents().empty()
                                   ? QString()
                                   : controller.documents().front()->fileURL();
          if (!unlockFromTheWindow(controller)) std::_Exit(2);
          const qint64 first = peakResidentKilobytes();
          controller.closeAllDocuments();
          QCoreApplication::processEvents();
          if (!controller.openDocumentWithContentsOfURL(path, true)) std::_Exit(3);
          if (!unlockFromTheWindow(controller)) std::_Exit(4);
          std::printf("%lld %lld\n", static_cast<long long>(first),
                      static_cast<long long>(peakResidentKilobytes()));
          std::fflush(stdout);
          std::_Exit(0);
        },
        Qt::QueuedConnection);
  });
}

int bareWindow(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  auto* table = new QTableView(&window);
  auto* model = new QStandardItemModel(3, 8, table);
  table->setModel(model);
  window.setCentralWidget(table);
  window.resize(820, 460);
  window.show();
  return application.exec();
}

// A child process in that mode with those arguments; what it printed, or nothing when it
// failed. cpuMilliseconds, when given, is the processor time it took (user and system), which
// other work on a shared machine leaves as it is.
QByteArray runChild(const char* mode, const QStringList& arguments, const QString& home,
                    double* cpuMilliseconds = nullptr) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  std::vector<QByteArray> args{QByteArray("quorlith")};
  for (const QString& a : arguments) args.push_back(QFile::encodeName(a));
  const QByteArray start = QByteArray::number(monotonicNanoseconds());
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::setenv(kModeVariable, mode, 1);
    ::setenv(kStartVariable, start.constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Settings, the user guide and the lock files of a home of its own, the same each start.
    const QByteArray h = QFile::encodeName(home);
    ::setenv("HOME", h.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (h + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (h + "/data").constData(), 1);
    ::setenv("XDG_CACHE_HOME", (h + "/cache").constData(), 1);
    // A start that never paints (or never unlocks) ends instead of holding the benchmark.
    ::alarm(120);
    std::vector<char*> argv;
    argv.reserve(std::size_t(args.size()) + 1);
    for (QByteArray& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  QByteArray report;
  char buffer[256];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, got);
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return {};
  if (cpuMilliseconds)
    *cpuMilliseconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  return report.trimmed();
}

double median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QTemporaryDir& home() {
  static QTemporaryDir dir;
  return dir;
}

void BM_FirstWindow(benchmark::State& state) {
  const QString small = savedBenchVaultSortedByName(3);
  const QString large = savedBenchVaultSortedByName(100000);
  struct Start {
    const char* name;
    const char* mode;
    QStringList arguments;
    std::vector<double> milliseconds, cpu;
  };
  Start starts[] = {{"bare_ms", "bare", {}, {}, {}},
                    {"untitled_ms", "window", {}, {}, {}},
                    {"locked_3_ms", "window", {small}, {}, {}},
                    {"locked_100k_ms", "window", {large}, {}, {}}};
  for (auto _ : state) {
    double round = 0;
    for (Start& s : starts) {
      double cpu = 0;
      const QByteArray report = runChild(s.mode, s.arguments, home().path(), &cpu);
      if (report.isEmpty()) return state.SkipWithError("a start failed");
      s.milliseconds.push_back(report.toDouble());
      s.cpu.push_back(cpu);
      round += report.toDouble();
    }
    state.SetIterationTime(round / 1000);
  }
  for (const Start& s : starts) {
    state.counters[s.name] = median(s.milliseconds);
    state.counters[QByteArray(s.name).replace("_ms", "_cpu_ms").toStdString()] = median(s.cpu);
  }
  state.counters["locked_3_vs_bare_cpu"] = median(starts[2].cpu) / median(starts[0].cpu);
  state.counters["locked_100k_vs_3_cpu"] = median(starts[3].cpu) / median(starts[2].cpu);
  state.counters["untitled_vs_bare"] =
      median(starts[1].milliseconds) / median(starts[0].milliseconds);
  state.counters["locked_3_vs_bare"] =
      median(starts[2].milliseconds) / median(starts[0].milliseconds);
  state.counters["locked_100k_vs_3"] =
      median(starts[3].milliseconds) / median(starts[2].milliseconds);
}

void BM_OpenUnlockPeak(benchmark::State& state) {
  const QString large = savedBenchVaultSortedByName(100000);
  std::vector<double> first, second;
  for (auto _ : state) {
    const QList<QByteArray> report = runChild("unlock", {large}, home().path()).split(' ');
    if (report.size() != 2) return state.SkipWithError("did not unlock twice");
    first.push_back(report[0].toDouble() / 1024);
    second.push_back(report[1].toDouble() / 1024);
    state.SetIterationTime(0.001);
  }
  const double fileMegabytes = double(QFileInfo(large).size()) / (1024.0 * 1024.0);
  state.counters["file_mb"] = fileMegabytes;
  state.counters["peak_first_mb"] = median(first);
  state.counters["peak_second_mb"] = median(second);
  state.counters["first_vs_file"] = median(first) / fileMegabytes;
  state.counters["second_vs_first"] = median(second) / median(first);
}

BENCHMARK(BM_FirstWindow)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenUnlockPeak)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (const char* mode = std::getenv(kModeVariable)) {
    const QByteArray m(mode);
    if (m == "bare") return bareWindow(argc, argv);
    if (m == "unlock") return openUnlockTwice(argc, argv);
    return programMain(argc, argv);
  }
  // The vaults are written by this process; their folder lives as long as it does.
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
