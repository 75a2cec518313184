// Adding, deleting and undoing one record in a sorted 100k-record vault shown in the real
// window (offscreen): the list places one row and the table model inserts or removes that
// row, with no reset. Each iteration times one step; its reverse runs untimed.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "bench/BenchVault.h"
#include "bench/GuiBench.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "window/RecordEditor.h"
#include "window/RecordTableView.h"
#include "window/VaultDocumentWindow.h"

namespace {

constexpr int kRecords = 100000;

struct OpenVault {
  QTemporaryDir dir;
  UserDefaults defaults{dir.filePath(QStringLiteral("q.conf"))};
  MyDocument doc;
  VaultDocumentWindow* window = nullptr;

  OpenVault() {
    auto registered = Dictionary::create();
    registered->setValue(QStringLiteral("tableSortCompare"), Value::integer(2));
    defaults.registerDefaults(registered);
    DesktopViewState state;
    state.latestOrderedColumn = QStringLiteral("name");
    state.latestOrderedColumnAscending = true;
    auto vault = makeBenchVault(kRecords);
    vault->setViewState(state);
    const QString path = dir.filePath(QStringLiteral("v.qvlt"));
    if (!AtomicFile::write(vault->fileData(kBenchPassword, state).value(), path)) std::abort();
    if (!doc.readFromURL(path)) std::abort();
    window = new VaultDocumentWindow(&doc, defaults);
    window->show();
    doc.setPlainPassword(kBenchPassword);
    if (doc.Decript() != 0) std::abort();
    doc.decryptDone();
    QCoreApplication::processEvents();
  }
  ~OpenVault() { delete window; }
};

// Made once for all runs, freed before the application.
OpenVault& vault() {
  static OpenVault* const v = [] {
    auto* made = new OpenVault;
    guibench::releaseAtExit([made] { delete made; });
    return made;
  }();
  return *v;
}

enum Step { Add, Delete, UndoDelete };

void BM_OneRecordStep(benchmark::State& state) {
  OpenVault& v = vault();
  RecordEditor& editor = *v.window->recordEditor();
  FilteringArrayController& records = v.doc.recordController();
  UndoManager& undo = *v.doc.undoManager();
  const auto step = Step(state.range(0));
  for (auto _ : state) {
    QElapsedTimer timer;
    qint64 ns = 0;
    if (step == Add) {
      DictRef r = records.newObject();
      r->setValue(RecordKeys::name(), QStringLiteral("Middle of the list"));
      timer.start();
      editor.addTheRecord(r);
      ns = timer.nsecsElapsed();
      undo.undo();
    } else {
      records.setSelectionIndex(kRecords / 2);
      const DictRef r = records.selectedObjects().back();
      timer.start();
      editor.deleteTheRecord(r);
      ns = timer.nsecsElapsed();
      if (step == UndoDelete) {
        timer.restart();
        undo.undo();
        ns = timer.nsecsElapsed();
      } else {
        undo.undo();
      }
    }
    state.SetIterationTime(double(ns) / 1e9);
    if (v.window->tableView()->model()->rowCount() != kRecords) std::abort();
  }
  undo.removeAllActions();
}

}  // namespace

BENCHMARK(BM_OneRecordStep)
    ->ArgName("add0_delete1_undo2")
    ->Arg(Add)
    ->Arg(Delete)
    ->Arg(UndoDelete)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
