// Adding and removing records through the record list controller, which keeps every
// category's member list and count: must grow linearly with the number of records.
#include <benchmark/benchmark.h>

#include "vault/CategoryMembers.h"
#include "vault/FilteringArrayController.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"

namespace {

struct Lists {
  FilteringArrayController records;
  ZVColoredCategoryArrayController categories;
  std::vector<DictRef> categoryList;

  explicit Lists(int categoryCount) {
    records.myCategoryArrayController = &categories;
    for (int i = 0; i < categoryCount; ++i)
      categoryList.push_back(categories.addWithName(QStringLiteral("c%1").arg(i)));
  }
  std::vector<DictRef> makeRecords(int n) {
    std::vector<DictRef> out;
    out.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
      DictRef r = records.newObject();
      r->setValue(RecordKeys::categoryPtr(), categoryList[std::size_t(i) % categoryList.size()]);
      out.push_back(std::move(r));
    }
    return out;
  }
};

enum class Removal { OneByOneNewestFirst, AsOneSelection };

void addThenRemove(benchmark::State& state, int categoryCount, Removal removal) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    Lists lists(categoryCount);
    auto recs = lists.makeRecords(n);
    state.ResumeTiming();
    for (const auto& r : recs) lists.records.addObject(r);
    if (removal == Removal::AsOneSelection) {
      lists.records.removeObjects(recs);
    } else {
      // Newest first, as undoing a run of additions does.
      for (auto it = recs.rbegin(); it != recs.rend(); ++it) lists.records.removeObject(*it);
    }
    benchmark::DoNotOptimize(CategoryMembers::of(*lists.categoryList.front())->count());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void addThenRemoveOneByOne(benchmark::State& s, int categories) {
  addThenRemove(s, categories, Removal::OneByOneNewestFirst);
}
void addThenRemoveSelection(benchmark::State& s, int categories) {
  addThenRemove(s, categories, Removal::AsOneSelection);
}

void BM_OneCategory_OneByOne(benchmark::State& s) { addThenRemoveOneByOne(s, 1); }
void BM_1000Categories_OneByOne(benchmark::State& s) { addThenRemoveOneByOne(s, 1000); }
void BM_OneCategory_Selection(benchmark::State& s) { addThenRemoveSelection(s, 1); }
void BM_1000Categories_Selection(benchmark::State& s) { addThenRemoveSelection(s, 1000); }

}  // namespace

BENCHMARK(BM_OneCategory_OneByOne)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_1000Categories_OneByOne)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneCategory_Selection)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_1000Categories_Selection)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
