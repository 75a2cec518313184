// Exporting records with all ten fields in each format, the whole command from the records
// to the file on disk, beside the floor of writing as many bytes the same way. 100k records
// must take well under 1 s in every format.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

#include "platform/AtomicFile.h"
#include "transfer/ZVDataExportManager.h"
#include "vault/RecordFieldTable.h"
#include "vault/VaultKeys.h"

namespace {
// Records in 20 categories; one in ten has a note of two lines and a password with the
// characters that quoting and escaping take care of.
std::vector<DictRef> makeRecords(int count) {
  std::vector<DictRef> categories;
  for (int c = 0; c < 20; ++c) {
    auto category = Dictionary::create();
    category->setValue(CategoryKeys::category(), QStringLiteral("Group %1").arg(c));
    categories.push_back(category);
  }
  std::vector<DictRef> records;
  for (int i = 0; i < count; ++i) {
    auto r = Dictionary::create();
    const bool hard = i % 10 == 0;
    r->setValue(RecordKeys::categoryPtr(), categories[std::size_t(i % 20)]);
    r->setValue(RecordKeys::name(), QStringLiteral("Site %1").arg(i));
    r->setValue(RecordKeys::url(), QStringLiteral("https://site%1.example/login").arg(i));
    r->setValue(RecordKeys::account(), QStringLiteral("acct%1").arg(i));
    r->setValue(RecordKeys::userID(), QStringLiteral("user%1@mail.example").arg(i));
    r->setValue(RecordKeys::password(),
                hard ? QStringLiteral("p,w\"<&>\t%1").arg(i) : QStringLiteral("Xq7-pw-%1").arg(i));
    r->setValue(RecordKeys::pin(), QString::number(i % 10000));
    r->setValue(RecordKeys::security(), QStringLiteral("answer %1").arg(i));
    r->setValue(RecordKeys::email(), QStringLiteral("user%1@mail.example").arg(i));
    r->setValue(RecordKeys::note(), hard ? QStringLiteral("first line\nsecond line %1").arg(i)
                                         : QStringLiteral("note for row %1").arg(i));
    records.push_back(r);
  }
  return records;
}

const std::vector<DictRef>& recordsFor(int count) {
  static std::map<int, std::vector<DictRef>> made;
  auto& records = made[count];
  if (records.empty()) records = makeRecords(count);
  return records;
}

void exportRecords(benchmark::State& state) {
  const int count = int(state.range(0));
  const qint32 format = qint32(state.range(1));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("export.txt"));
  const std::vector<DictRef>& records = recordsFor(count);
  for (auto _ : state) {
    ZVDataExportManager manager(records, recordFieldTable());
    manager.addAllToRight();
    manager.setFileFormatToSave(format);
    manager.setUseFieldNamesAsFirstRow(true);
    if (!manager.writeToFile(path)) state.SkipWithError("not written");
  }
  state.SetLabel(ZVDataExportManager::extensionForFormat(format).toStdString() + " " +
                 std::to_string(QFileInfo(path).size() / 1024) + " KiB");
}
BENCHMARK(exportRecords)
    ->ArgsProduct({{1000, 10000, 100000},
                   {ExportFileFormat::Custom, ExportFileFormat::TSV, ExportFileFormat::QuotedCSV,
                    ExportFileFormat::HTMLTable, ExportFileFormat::HTMLPage,
                    ExportFileFormat::PlainCSV}})
    ->Unit(benchmark::kMillisecond);

// The floor: as many bytes as the TSV export of that many records, written the same way.
void writeSameBytes(benchmark::State& state) {
  const int count = int(state.range(0));
  ZVDataExportManager manager(recordsFor(count), recordFieldTable());
  manager.addAllToRight();
  manager.setUseFieldNamesAsFirstRow(true);
  const QByteArray bytes = manager.exportText().toUtf8();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("floor.txt"));
  for (auto _ : state)
    if (!AtomicFile::write(bytes, path)) state.SkipWithError("not written");
  state.SetLabel(std::to_string(bytes.size() / 1024) + " KiB");
}
BENCHMARK(writeSameBytes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}  // namespace
