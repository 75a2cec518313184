// One keystroke in the search field of an unlocked window holding 1k, 10k and 100k records:
// the list filtered through the real predicate, the table model reset and its rows painted.
// BM_SixFieldScan is the floor: one pass reading the six searched fields of every record.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <array>
#include <map>

#include "bench/BenchVault.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

QString savedVault(int records) {
  static std::map<int, QString> paths;
  if (auto it = paths.find(records); it != paths.end()) return it->second;
  auto vault = makeBenchVault(records);
  const QString path = folder().filePath(QStringLiteral("v%1.qvlt").arg(records));
  if (!AtomicFile::write(vault->fileData(kBenchPassword, DesktopViewState{}).value(), path))
    std::abort();
  return paths[records] = path;
}

void BM_SearchKeystroke(benchmark::State& state) {
  const QString path = savedVault(int(state.range(0)));
  UserDefaults defaults(folder().filePath(QStringLiteral("q.conf")));
  MyDocument doc;
  if (!doc.readFromURL(path, nullptr)) std::abort();
  auto* window = new VaultDocumentWindow(&doc, defaults);
  window->show();
  doc.setPlainPassword(kBenchPassword);
  if (doc.Decript() != 0) std::abort();
  doc.decryptDone();
  QCoreApplication::processEvents();
  // "note about record 9" matches a tenth of the records, in the note only; "x" matches none
  // after the first letter, so each keystroke filters every record.
  const std::array<QString, 2> texts = {QStringLiteral("about record 9"), QStringLiteral("x")};
  std::size_t turn = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    window->toolbarSearchField()->setText(texts[turn++ % 2]);
    window->tableView()->viewport()->repaint();
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
  }
  delete window;
}

void BM_SixFieldScan(benchmark::State& state) {
  auto vault = makeBenchVault(int(state.range(0)));
  const QString keys[] = {RecordKeys::name(), RecordKeys::url(),    RecordKeys::account(),
                          RecordKeys::note(), RecordKeys::userID(), RecordKeys::email()};
  for (auto _ : state) {
    qsizetype found = 0;
    for (const Value& v : vault->records()->values()) {
      const Dictionary* record = v.dictionaryPointer();
      for (const QString& key : keys)
        if (const QString* text = record->value(key).stringPointer()) found += text->size();
    }
    benchmark::DoNotOptimize(found);
  }
}

}  // namespace

BENCHMARK(BM_SearchKeystroke)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SixFieldScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
