// The cipher work of one unlock and one save of a current-format document: the check string
// plus four archived pieces of 1 MB in all.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/crypto/KeyDerivation.h"
#include "vault/ZVCommonCrypto.h"

namespace {

const QString kPassword = QStringLiteral("correct horse battery staple");

// Records, categories, e-mail list and creation date: 1 MiB together.
QList<QByteArray> pieces() {
  return {QByteArray(700000, 'r'), QByteArray(250000, 'c'), QByteArray(98000, 'e'),
          QByteArray(1048576 - 700000 - 250000 - 98000, 'd')};
}

struct StoredDocument {
  QByteArray salt;
  QByteArray iv;
  QByteArray rc;
  QByteArray sha1Rc;
  QList<QByteArray> encrypted;
};

StoredDocument writeDocument() {
  ZVCommonCrypto engine(kPassword);
  StoredDocument doc;
  const QByteArray check = ZVCommonCrypto::generateRandom256AsciiString().toUtf8();
  doc.rc = *engine.encrypt(check, nullptr);
  doc.sha1Rc = ZVCommonCrypto::dataSHA1(check);
  for (const QByteArray& piece : pieces()) doc.encrypted.append(*engine.encrypt(piece, nullptr));
  doc.salt = engine.salt();
  doc.iv = engine.IV();
  return doc;
}

void setDerivations(benchmark::State& state, std::uint64_t before) {
  state.counters["derivations_per_op"] = benchmark::Counter(
      double(KeyDerivation::derivationCount() - before), benchmark::Counter::kAvgIterations);
}

void BM_UnlockCipherWork(benchmark::State& state) {
  const StoredDocument doc = writeDocument();
  const std::uint64_t before = KeyDerivation::derivationCount();
  for (auto _ : state) {
    ZVCommonCrypto engine(kPassword);
    engine.setPasswordToDecrypt(kPassword, doc.iv, doc.salt);
    std::int32_t status = 0;
    const auto check = engine.decrypt(doc.rc, &status);
    if (!check || ZVCommonCrypto::dataSHA1(*check) != doc.sha1Rc) state.SkipWithError("rc");
    for (const QByteArray& piece : doc.encrypted) {
      benchmark::DoNotOptimize(engine.decrypt(piece, &status));
    }
  }
  setDerivations(state, before);
  state.SetBytesProcessed(state.iterations() * 1048576);
}
BENCHMARK(BM_UnlockCipherWork)->Unit(benchmark::kMillisecond);

void BM_SaveCipherWork(benchmark::State& state) {
  const QList<QByteArray> plain = pieces();
  ZVCommonCrypto engine(kPassword);
  (void)engine.encrypt("warm", nullptr);
  const std::uint64_t before = KeyDerivation::derivationCount();
  for (auto _ : state) {
    engine.recalcIV_Salt_AESKey();
    for (const QByteArray& piece : plain) benchmark::DoNotOptimize(engine.encrypt(piece, nullptr));
    const QByteArray check = ZVCommonCrypto::generateRandom256AsciiString().toUtf8();
    benchmark::DoNotOptimize(ZVCommonCrypto::dataSHA1(check));
    benchmark::DoNotOptimize(engine.encrypt(check, nullptr));
  }
  setDerivations(state, before);
  state.SetBytesProcessed(state.iterations() * 1048576);
}
BENCHMARK(BM_SaveCipherWork)->Unit(benchmark::kMillisecond);

// One PBKDF2-HMAC-SHA1 of 10000 rounds: what every extra derivation per piece would cost.
void BM_KeyDerivation(benchmark::State& state) {
  const QByteArray salt(8, 's');
  for (auto _ : state) {
    benchmark::DoNotOptimize(ZVCommonCrypto::AESKeyForPassword(kPassword, salt));
  }
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond);

}  // namespace
