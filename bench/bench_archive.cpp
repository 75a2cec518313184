#include <benchmark/benchmark.h>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

namespace {
// A record list shaped like a vault's: thirteen keys of strings, numbers, dates and data.
Value makeRecords(int count) {
  auto records = Array::create();
  for (int i = 0; i < count; ++i) {
    auto r = Dictionary::create();
    r->setValue(QStringLiteral("title"), Value(QStringLiteral("Account %1").arg(i)));
    r->setValue(QStringLiteral("username"), Value(QStringLiteral("user%1@example.org").arg(i)));
    r->setValue(QStringLiteral("password"), Value(QStringLiteral("pw-%1-x9!Qa").arg(i * 7919)));
    r->setValue(QStringLiteral("url"), Value(QStringLiteral("https://site%1.example").arg(i % 97)));
    r->setValue(QStringLiteral("notes"), Value::mutableString(QStringLiteral("note %1").arg(i)));
    r->setValue(QStringLiteral("created"), Value(Date{700000000.0 + i}));
    r->setValue(QStringLiteral("modified"), Value(Date{710000000.0 + i}));
    r->setValue(QStringLiteral("uses"), Value::integer(i % 50));
    r->setValue(QStringLiteral("strength"), Value::real(0.5 + (i % 10) / 20.0));
    r->setValue(QStringLiteral("favourite"), Value::boolean(i % 3 == 0));
    r->setValue(QStringLiteral("icon"), Value::data(QByteArray(16, static_cast<char>(i))));
    r->setValue(QStringLiteral("category"), Value(QStringLiteral("Web")));
    r->setValue(QStringLiteral("expires"), Value(Date{800000000.0}));
    records->append(Value(r));
  }
  return Value(records);
}

void archiveRecords(benchmark::State& state) {
  const Value records = makeRecords(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto archive = KeyedArchiver::archivedDataWithRootObject(records);
    bytes = static_cast<std::size_t>(archive.value().size());
    benchmark::DoNotOptimize(archive);
  }
  state.counters["archive_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void unarchiveRecords(benchmark::State& state) {
  const QByteArray archive =
      KeyedArchiver::archivedDataWithRootObject(makeRecords(static_cast<int>(state.range(0))))
          .take();
  for (auto _ : state) {
    auto value = KeyedUnarchiver::unarchiveObjectWithData(archive);
    if (!value) state.SkipWithError("unarchive failed");
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(state.iterations() * archive.size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
}  // namespace

BENCHMARK(archiveRecords)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(unarchiveRecords)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
