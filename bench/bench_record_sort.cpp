// Sorting the record list by a column as a header click does: by name (text, in each of the
// three comparison modes) and by creation date, for 1k, 10k and 100k records. Each run starts
// from the unsorted content order.
#include <benchmark/benchmark.h>

#include <QLocale>

#include "bench/BenchVault.h"
#include "window/RecordColumns.h"

namespace {

void sortBy(benchmark::State& state, const char* column, RecordColumns::Comparison comparison) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const auto vault = makeBenchVault(int(state.range(0)));
  ArrayController& records = vault->recordController();
  const auto descriptor =
      RecordColumns::sortDescriptor(QString::fromLatin1(column), true, comparison);
  for (auto _ : state) {
    state.PauseTiming();
    records.setSortDescriptors({});
    records.rearrangeObjects();
    state.ResumeTiming();
    records.setSortDescriptors({*descriptor});
    records.rearrangeObjects();
    benchmark::DoNotOptimize(records.arrangedObjects().front().get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SortByName_Plain(benchmark::State& s) {
  sortBy(s, "name", RecordColumns::Comparison::Plain);
}
void BM_SortByName_Localized(benchmark::State& s) {
  sortBy(s, "name", RecordColumns::Comparison::Localized);
}
void BM_SortByName_CaseInsensitive(benchmark::State& s) {
  sortBy(s, "name", RecordColumns::Comparison::LocalizedCaseInsensitive);
}
void BM_SortByCreationDate(benchmark::State& s) {
  sortBy(s, "createdDate", RecordColumns::Comparison::LocalizedCaseInsensitive);
}

}  // namespace

BENCHMARK(BM_SortByName_Plain)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByName_Localized)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByName_CaseInsensitive)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByCreationDate)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
