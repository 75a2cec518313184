// Importing a text file of 10 fields per row into a vault: reading, splitting, the mapping,
// and the records joining the lists with their categories. Must stay linear in the rows,
// and 100k rows must take well under 2 s into one category as into 1000.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "transfer/ImportedRecords.h"
#include "transfer/MyDataImportManager.h"
#include "vault/RecordFieldTable.h"
#include "vault/Vault.h"

namespace {
// Takes the records into its vault when the import ends, as the document does.
struct Owner : ZVImporter {
  Vault vault;
  ArrayRef staged = Array::create();
  bool acceptsImportedRecords() const override { return true; }
  void justFinishedImporting() override {
    ImportedRecords::addToLists(staged, vault.recordController(), vault.categoryController());
  }
};

// A CSV file of rows x 10 fields, the first field naming one of `categories` titles.
QString writeFile(const QTemporaryDir& dir, int rows, int categories) {
  QString path = dir.filePath(QStringLiteral("import-%1-%2.csv").arg(rows).arg(categories));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  QByteArray text;
  for (int i = 0; i < rows; ++i)
    text += QStringLiteral(
                "Group %1,Site %2,https://site%2.example/login,acct%2,user%2@mail.example,"
                "\"p,w\"\"%2\",%3,answer %2,user%2@mail.example,note for row %2\r\n")
                .arg(i % categories)
                .arg(i)
                .arg(i % 10000)
                .toUtf8();
  file.write(text);
  return path;
}

void importFile(benchmark::State& state) {
  const int rows = int(state.range(0)), categories = int(state.range(1));
  QTemporaryDir dir;
  const QString path = writeFile(dir, rows, categories);
  for (auto _ : state) {
    state.PauseTiming();
    auto owner = std::make_unique<Owner>();
    MyDataImportManager manager(owner->staged, recordFieldTable(), owner.get());
    state.ResumeTiming();
    if (!manager.loadDataFromFile(path, 0, 0)) state.SkipWithError("unreadable");
    manager.AssignCascadeImportFields();
    if (manager.DoImport() != rows) state.SkipWithError("rows lost");
    state.PauseTiming();
    if (owner->vault.categories()->count() != categories) state.SkipWithError("categories");
    owner.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(rows);
}
BENCHMARK(importFile)
    ->ArgsProduct({{10000, 50000, 100000}, {1, 1000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
}  // namespace
