// From a typed password to the first painted rows of the record table, for vaults of 1k,
// 10k and 100k records opened in the real window (offscreen). The measured time is what the
// window adds after the unlock itself (restoring the view state, sorting by the stored
// column, laying out and painting the table); the unlock is reported beside it as unlock_ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>

#include "bench/BenchVault.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

void BM_UnlockToFirstPaint(benchmark::State& state) {
  const QString path = savedBenchVaultSortedByName(int(state.range(0)));
  UserDefaults defaults(folder().filePath(QStringLiteral("q.conf")));
  auto registered = Dictionary::create();
  registered->setValue(QStringLiteral("tableSortCompare"), Value::integer(2));
  defaults.registerDefaults(registered);
  double unlockSeconds = 0;
  for (auto _ : state) {
    MyDocument doc;
    if (!doc.readFromURL(path)) std::abort();
    auto* window = new VaultDocumentWindow(&doc, defaults);
    window->show();
    QCoreApplication::processEvents();
    doc.setPlainPassword(kBenchPassword);
    QElapsedTimer timer;
    timer.start();
    if (doc.Decript() != 0) std::abort();
    unlockSeconds += double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    doc.decryptDone();
    window->tableView()->viewport()->repaint();
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    if (window->tableView()->model()->rowCount() != state.range(0)) std::abort();
    delete window;
  }
  state.counters["unlock_ms"] =
      benchmark::Counter(unlockSeconds * 1000 / double(state.iterations()));
}

}  // namespace

BENCHMARK(BM_UnlockToFirstPaint)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
