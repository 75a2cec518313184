// Opening plus unlocking a current-format document of 1k, 10k and 100k records, beside its
// floor: one bare key derivation, and the decryption and unarchiving of the same pieces.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <map>

#include "platform/KeyedUnarchiver.h"
#include "vault/MyDocument.h"
#include "vault/VaultFileReader.h"
#include "vault/VaultKeys.h"

namespace {

const QString kPassword = QStringLiteral("correct horse battery staple");

QByteArray savedDocument(int records) {
  static std::map<int, QByteArray> cache;
  if (auto it = cache.find(records); it != cache.end()) return it->second;
  MyDocument doc;
  doc.setPlainPassword(kPassword);
  doc.documentCreationDate = Date{1000};
  std::vector<DictRef> categories;
  for (int i = 0; i < 10; ++i)
    categories.push_back(
        doc.categoryController().addWithName(QStringLiteral("Category %1").arg(i)));
  for (int i = 0; i < records; ++i) {
    DictRef r = doc.recordController().newObject();
    r->setValue(RecordKeys::name(), QStringLiteral("Record number %1").arg(i));
    r->setValue(RecordKeys::account(), QStringLiteral("account-%1").arg(i));
    r->setValue(RecordKeys::url(), QStringLiteral("https://site%1.example/login").arg(i));
    r->setValue(RecordKeys::userID(), QStringLiteral("user%1").arg(i));
    r->setValue(RecordKeys::password(), QStringLiteral("pw-%1-Xy7!q").arg(i));
    r->setValue(RecordKeys::email(), QStringLiteral("user%1@example.org").arg(i));
    r->setValue(RecordKeys::note(), QStringLiteral("A short note about record %1.").arg(i));
    r->setValue(RecordKeys::categoryPtr(), categories[std::size_t(i % 10)]);
    doc.recordController().addObject(r);
  }
  return cache[records] = *doc.dataOfType(QStringLiteral("qvlt"), nullptr);
}

void BM_OpenAndUnlock(benchmark::State& state) {
  const QByteArray file = savedDocument(int(state.range(0)));
  for (auto _ : state) {
    MyDocument doc;
    doc.readFromData(file, QStringLiteral("qvlt"), nullptr);
    doc.setPlainPassword(kPassword);
    if (doc.Decript() != 0) state.SkipWithError("did not unlock");
    benchmark::DoNotOptimize(doc.myArray()->count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenAndUnlock)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_KeyDerivation(benchmark::State& state) {
  const QByteArray salt(ZVCommonCrypto::kSaltLength, 's');
  for (auto _ : state) benchmark::DoNotOptimize(ZVCommonCrypto::AESKeyForPassword(kPassword, salt));
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond);

// The floor without the derivation: the key is derived before timing starts.
void BM_DecryptAndUnarchive(benchmark::State& state) {
  const VaultFile f = VaultFileReader::read(savedDocument(int(state.range(0)))).value();
  ZVCommonCrypto engine(kPassword);
  engine.setPasswordToDecrypt(kPassword, f.iv, f.salt);
  std::int32_t status = 0;
  engine.decrypt(f.rc, &status);
  for (auto _ : state) {
    for (const QByteArray* piece :
         {&f.dataArrayData, &f.catArrayData, &f.emailArrayData, &f.documentCreationDateData}) {
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
