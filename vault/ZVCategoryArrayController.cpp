#include "vault/ZVCategoryArrayController.h"

#include <QSet>

#include "vault/VaultKeys.h"

bool ZVCategoryArrayController::testForUnusedString(const QString& string,
                                                    const QString& key) const {
  for (const auto& entry : arrangedObjects()) {
    const QString* title = entry->value(key).stringPointer();
    if (title && *title == string) return false;
  }
  return true;
}

QString ZVCategoryArrayController::unusedCategoryNameWithPostfix(const QString& base) const {
  if (testForUnusedString(base, CategoryKeys::category())) return base;
  // One pass over the titles instead of one per candidate.
  QSet<QString> taken;
  for (const auto& entry : arrangedObjects())
    if (const QString* title = entry->value(CategoryKeys::category()).stringPointer())
      taken.insert(*title);
  QString candidate;
  for (int i = 1; i <= kMaxNumberedTitles; ++i) {
    candidate = base + QLatin1Char(' ') + QString::number(i);
    if (!taken.contains(candidate)) break;
  }
  return candidate;
}

DictRef ZVCategoryArrayController::newObject() {
  auto entry = ArrayController::newObject();
  entry->setValue(CategoryKeys::category(),
                  unusedCategoryNameWithPostfix(QStringLiteral("Untitled")));
  return entry;
}

DictRef ZVCategoryArrayController::getLastCategory() const {
  const auto& items = content()->values();
  return items.empty() ? DictRef() : items.back().toDictionary();
}

void ZVCategoryArrayController::controlTextDidChange() {
  if (myDoc) myDoc->updateChangeCount(ChangeCounting::ChangeDone);
}
