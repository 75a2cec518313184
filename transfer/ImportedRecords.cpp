#include "transfer/ImportedRecords.h"

#include <QHash>

#include "transfer/MyDataImportManager.h"
#include "vault/FilteringArrayController.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"

qsizetype ImportedRecords::addToLists(const ArrayRef& imported, FilteringArrayController& records,
                                      ZVColoredCategoryArrayController& categories) {
  if (!imported || imported->isEmpty()) return 0;
  const QString titleKey = MyDataImportManager::categoryNAME();
  std::vector<DictRef> incoming;
  incoming.reserve(std::size_t(imported->count()));
  bool anyUntitled = false;
  for (const Value& v : imported->values()) {
    DictRef record = v.toDictionary();
    if (!record) continue;
    const QString* title = record->value(titleKey).stringPointer();
    if (title && title->isEmpty()) anyUntitled = true;
    incoming.push_back(std::move(record));
  }
  imported->values().clear();

  // The category for untitled records is settled before any is made, so it does not depend
  // on which titles come first.
  const DictRef untitled = anyUntitled ? records.catToAssignToNewObject() : DictRef();
  QHash<QString, DictRef> byTitle;
  for (const Value& v : categories.content()->values())
    if (const Dictionary* category = v.dictionaryPointer())
      if (const QString* t = category->value(CategoryKeys::category()).stringPointer())
        if (!byTitle.contains(*t)) byTitle.insert(*t, v.toDictionary());

  // The title gives way to the link; records made from one key list share one list after
  // the swap as well.
  const QString linkKey = RecordKeys::categoryPtr();
  QHash<const DictionaryKeys*, DictionaryKeysRef> swapped;
  for (DictRef& record : incoming) {
    const DictionaryKeysRef& from = record->keyList();
    const qsizetype titleIndex = from->indexOf(titleKey);
    if (titleIndex < 0) continue;
    const QString title = record->valueAt(titleIndex).toString();
    DictRef category = untitled;
    if (!title.isEmpty()) {
      DictRef& known = byTitle[title];
      if (!known) known = categories.addWithName(title);
      category = known;
    }
    DictionaryKeysRef& to = swapped[from.get()];
    if (!to) {
      std::vector<QString> keys;
      for (const QString& key : *from)
        if (key != titleKey && key != linkKey) keys.push_back(key);
      keys.push_back(linkKey);
      to = std::make_shared<const DictionaryKeys>(std::move(keys));
    }
    std::vector<Value> values;
    values.reserve(std::size_t(to->count()));
    for (qsizetype i = 0; i < record->count(); ++i)
      if (from->at(i) != titleKey && from->at(i) != linkKey) values.push_back(record->valueAt(i));
    values.emplace_back(category);
    record = Dictionary::create(to, std::move(values));
  }
  // The new categories and records take their places under the current filter and sort.
  categories.rearrangeObjects();
  records.addObjects(incoming);
  return qsizetype(incoming.size());
}
