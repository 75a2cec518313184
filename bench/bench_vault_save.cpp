// Saving a vault end to end: encrypting its contents into new pieces, writing the container
// and putting the bytes on disk, set beside its floor: the key derivation every save repeats
// and writing as many bytes to disk.
#include <benchmark/benchmark.h>

#include <QSaveFile>
#include <QTemporaryDir>
#include <array>

#include "bench/BenchVault.h"
#include "platform/KeyDerivation.h"

namespace {

bool writeAtomically(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void saveVault(benchmark::State& state) {
  const auto vault = makeBenchVault(static_cast<int>(state.range(0)));
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("bench.qvlt"));
  std::size_t bytes = 0;
  for (auto _ : state) {
    VaultResult<QByteArray> file = vault->fileData(kBenchPassword, DesktopViewState{});
    if (!file || !writeAtomically(path, file.value())) {
      state.SkipWithError("the vault was not saved");
      break;
    }
    bytes = static_cast<std::size_t>(file.value().size());
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(saveVault)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void deriveOneKey(benchmark::State& state) {
  const QByteArray salt(ZVCommonCrypto::kSaltLength, 's');
  std::array<std::uint8_t, ZVCommonCrypto::kKeyLength> key{};
  for (auto _ : state) {
    if (KeyDerivation::pbkdf2HmacSha1(kBenchPassword.toUtf8(), salt, ZVCommonCrypto::kRounds,
                                      key.data(), key.size()) != 0)
      state.SkipWithError("key derivation failed");
    benchmark::DoNotOptimize(key);
  }
}
BENCHMARK(deriveOneKey)->Unit(benchmark::kMillisecond);

// Writing a file of the same size, atomically, with nothing to encrypt.
void writeSameBytes(benchmark::State& state) {
  const QByteArray bytes =
      makeBenchVault(static_cast<int>(state.range(0)))->fileData(kBenchPassword, {}).value();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("floor.qvlt"));
  for (auto _ : state)
    if (!writeAtomically(path, bytes)) state.SkipWithError("not written");
}
BENCHMARK(writeSameBytes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}  // namespace
