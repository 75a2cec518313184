// Saving a vault end to end: copying the lists, archiving and encrypting each piece, and the
// container archive, set beside the key derivation every save repeats.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <array>
#include <memory>

#include "platform/KeyDerivation.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "vault/ZVCommonCrypto.h"

namespace {

std::unique_ptr<MyDocument> makeVault(int recordCount) {
  auto doc = std::make_unique<MyDocument>();
  doc->setPlainPassword(QStringLiteral("correct horse battery"));
  doc->documentCreationDate = Date{700000000.0};
  std::vector<DictRef> categories;
  for (const char* name : {"Banks", "Web", "Mail", "Work", "Home"})
    categories.push_back(doc->categoryController().addWithName(QString::fromLatin1(name)));
  for (int i = 0; i < recordCount; ++i) {
    DictRef r = doc->recordController().newObject();
    r->setValue(RecordKeys::name(), QStringLiteral("Account %1").arg(i));
    r->setValue(RecordKeys::account(), QStringLiteral("acct-%1").arg(i * 31));
    r->setValue(RecordKeys::url(), QStringLiteral("https://site%1.example").arg(i % 97));
    r->setValue(RecordKeys::userID(), QStringLiteral("user%1@example.org").arg(i));
    r->setValue(RecordKeys::password(), QStringLiteral("pw-%1-x9!Qa").arg(i * 7919));
    r->setValue(RecordKeys::note(), Value::mutableString(QStringLiteral("note %1").arg(i)));
    r->setValue(RecordKeys::categoryPtr(), categories[std::size_t(i) % categories.size()]);
    doc->recordController().addObject(r);
  }
  return doc;
}

void saveVault(benchmark::State& state) {
  const auto doc = makeVault(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    QString error;
    const auto file = doc->dataOfType(QStringLiteral("qvlt"), &error);
    if (!file) {
      state.SkipWithError(error.toStdString().c_str());
      break;
    }
    bytes = static_cast<std::size_t>(file->size());
    benchmark::DoNotOptimize(file);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void deriveOneKey(benchmark::State& state) {
  const QByteArray salt(ZVCommonCrypto::kSaltLength, 's');
  std::array<std::uint8_t, ZVCommonCrypto::kKeyLength> key{};
  for (auto _ : state) {
    if (KeyDerivation::pbkdf2HmacSha1("correct horse battery", salt, ZVCommonCrypto::kRounds,
                                      key.data(), key.size()) != 0)
      state.SkipWithError("key derivation failed");
    benchmark::DoNotOptimize(key);
  }
}
}  // namespace

BENCHMARK(deriveOneKey)->Unit(benchmark::kMillisecond);
BENCHMARK(saveVault)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
