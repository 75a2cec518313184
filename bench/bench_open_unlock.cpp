// Opening plus unlocking a current-format vault file of 1k, 10k and 100k records, from the
// file on disk to the linked lists, beside its floor: one bare key derivation, and the
// decryption and unarchiving of the same pieces with the key already derived.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "bench/BenchVault.h"
#include "platform/KeyedUnarchiver.h"
#include "vault/VaultFileReader.h"

namespace {

QString savedVaultPath(int records) {
  static QTemporaryDir folder;
  static std::map<int, QString> paths;
  if (auto it = paths.find(records); it != paths.end()) return it->second;
  const QString path = folder.filePath(QStringLiteral("bench-%1.qvlt").arg(records));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(makeBenchVault(records)->fileData(kBenchPassword, DesktopViewState{}).value());
  return paths[records] = path;
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_OpenAndUnlock(benchmark::State& state) {
  const QString path = savedVaultPath(int(state.range(0)));
  for (auto _ : state) {
    Vault vault;
    if (!vault.read(readFile(path)) || !vault.unlock(kBenchPassword)) {
      state.SkipWithError("did not unlock");
      break;
    }
    benchmark::DoNotOptimize(vault.records()->count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenAndUnlock)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_KeyDerivation(benchmark::State& state) {
  const QByteArray salt(ZVCommonCrypto::kSaltLength, 's');
  for (auto _ : state)
    benchmark::DoNotOptimize(ZVCommonCrypto::AESKeyForPassword(kBenchPassword, salt));
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond);

// The floor without the derivation: the key is derived before timing starts.
void BM_DecryptAndUnarchive(benchmark::State& state) {
  const HeldPieces p =
      VaultFileReader::read(readFile(savedVaultPath(int(state.range(0))))).value().pieces;
  ZVCommonCrypto engine;
  engine.setPasswordToDecrypt(kBenchPassword, p.iv, p.salt);
  std::int32_t status = 0;
  benchmark::DoNotOptimize(engine.decrypt(p.rc, &status));
  for (auto _ : state) {
    for (const QByteArray* piece : {&p.records, &p.categories, &p.emails, &p.creationDate}) {
      const auto plain = engine.decrypt(*piece, &status);
      benchmark::DoNotOptimize(KeyedUnarchiver::unarchiveObjectWithData(*plain).ok());
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecryptAndUnarchive)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
