// One keystroke in the search field of an unlocked window holding 1k, 10k and 100k records,
// sorted by name: the list filtered through the real predicate, the table model reset and its
// rows painted. BM_SearchCleared is the keystroke that empties the field: every record
// shown again, sorted.
// BM_SixFieldScan is the floor: one pass reading every character of the six searched fields
// of every record.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include "bench/BenchVault.h"
#include "platform/FileBytes.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

// untimed: the search text before the keystroke; timed: the text the keystroke makes.
// editFirst: a record is renamed before each keystroke, as a user edits and searches again.
void searchKeystroke(benchmark::State& state, const QString& untimed, const QString& timed,
                     bool editFirst = false) {
  const QString path = savedBenchVaultSortedByName(int(state.range(0)));
  UserDefaults defaults(folder().filePath(QStringLiteral("q.conf")));
  MyDocument doc;
  if (!doc.readFromURL(path)) std::abort();
  auto* window = new VaultDocumentWindow(&doc, defaults);
  window->show();
  doc.setPlainPassword(kBenchPassword);
  if (doc.Decript() != 0) std::abort();
  doc.decryptDone();
  QCoreApplication::processEvents();
  QLineEdit* field = window->toolbarSearchField();
  int edits = 0;
  for (auto _ : state) {
    field->setText(untimed);
    if (editFirst) {
      const DictRef record = doc.recordController().arrangedObjects().front();
      record->setValue(RecordKeys::name(), QStringLiteral("Renamed %1").arg(++edits));
      doc.recordController().rearrangeObject(record);
    }
    window->tableView()->viewport()->repaint();
    QElapsedTimer timer;
    timer.start();
    field->setText(timed);
    window->tableView()->viewport()->repaint();
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
  }
  delete window;
}

// The first letter tests every record: "x" is in every URL.
void BM_SearchFirstLetter(benchmark::State& state) {
  searchKeystroke(state, QString(), QStringLiteral("x"));
}

// A letter more narrows the rows shown, in their order: a ninth of the records to a ninth
// of those.
void BM_SearchNextLetter(benchmark::State& state) {
  searchKeystroke(state, QStringLiteral("about record 9"), QStringLiteral("about record 99"));
}

void BM_SearchCleared(benchmark::State& state) {
  searchKeystroke(state, QStringLiteral("x"), QString());
}

// A record renamed, then the search cleared: every record shown again in order, the renamed
// one in its new place.
void BM_SearchClearedAfterEdit(benchmark::State& state) {
  searchKeystroke(state, QStringLiteral("x"), QString(), true);
}

void BM_SixFieldScan(benchmark::State& state) {
  // The records as a window holds them: read from a file.
  Vault vault;
  if (!vault.read(FileBytes::read(savedBenchVaultSortedByName(int(state.range(0)))).value()))
    std::abort();
  if (!vault.unlock(kBenchPassword)) std::abort();
  const QString keys[] = {RecordKeys::name(), RecordKeys::url(),    RecordKeys::account(),
                          RecordKeys::note(), RecordKeys::userID(), RecordKeys::email()};
  for (auto _ : state) {
    qsizetype found = 0;
    for (const Value& v : vault.records()->values()) {
      const Dictionary* record = v.dictionaryPointer();
      for (const QString& key : keys)
        if (const QString* text = record->value(key).stringPointer())
          for (QChar c : *text) found += c.unicode();
    }
    benchmark::DoNotOptimize(found);
  }
}

}  // namespace

BENCHMARK(BM_SearchFirstLetter)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchNextLetter)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCleared)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchClearedAfterEdit)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SixFieldScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
