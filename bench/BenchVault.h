#pragma once

// A vault of N records in a few categories, for the benchmarks that open and save one.
#include <QTemporaryDir>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/AtomicFile.h"
#include "vault/Vault.h"
#include "vault/VaultKeys.h"

inline const QString kBenchPassword = QStringLiteral("correct horse battery staple");

inline std::unique_ptr<Vault> makeBenchVault(int recordCount) {
  auto vault = std::make_unique<Vault>();
  vault->setCreationDate(Date{700000000.0});
  std::vector<DictRef> categories;
  for (int i = 0; i < 10; ++i)
    categories.push_back(
        vault->categoryController().addWithName(QStringLiteral("Category %1").arg(i)));
  for (int i = 0; i < recordCount; ++i) {
    DictRef r = vault->recordController().newObject();
    r->setValue(RecordKeys::name(), QStringLiteral("Record number %1").arg(i));
    r->setValue(RecordKeys::account(), QStringLiteral("account-%1").arg(i));
    r->setValue(RecordKeys::url(), QStringLiteral("https://site%1.example/login").arg(i));
    r->setValue(RecordKeys::userID(), QStringLiteral("user%1").arg(i));
    r->setValue(RecordKeys::password(), QStringLiteral("pw-%1-Xy7!q").arg(i));
    r->setValue(RecordKeys::email(), QStringLiteral("user%1@example.org").arg(i));
    r->setValue(RecordKeys::note(), QStringLiteral("A short note about record %1.").arg(i));
    // Fixed dates: the file's size does not depend on how fast the records were made.
    r->setValue(RecordKeys::creationDate(), Date{600000000.0 + i});
    r->setValue(RecordKeys::modificationDate(), Date{650000000.0 + i});
    r->setValue(RecordKeys::categoryPtr(), categories[std::size_t(i % 10)]);
    vault->recordController().addObject(r);
  }
  return vault;
}

// The file of a bench vault of that many records sorted by name, as a window usually is;
// written once per size into a folder that lives as long as the program.
inline QString savedBenchVaultSortedByName(int records) {
  static QTemporaryDir folder;
  static std::map<int, QString> paths;
  if (auto it = paths.find(records); it != paths.end()) return it->second;
  DesktopViewState state;
  state.latestOrderedColumn = QStringLiteral("name");
  state.latestOrderedColumnAscending = true;
  auto vault = makeBenchVault(records);
  vault->setViewState(state);
  const QString path = folder.filePath(QStringLiteral("sorted-%1.qvlt").arg(records));
  if (!AtomicFile::write(vault->fileData(kBenchPassword, state).value(), path)) std::abort();
  return paths[records] = path;
}
