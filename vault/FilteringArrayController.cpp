#include "vault/FilteringArrayController.h"

#include "platform/Date.h"
#include "vault/CategoryMembers.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"

DictRef FilteringArrayController::catToAssignToNewObject() {
  if (!myCategoryArrayController) return {};
  if (myCategoryArrayController->canRemove()) {
    const auto& selected = selectionIndexes();
    if (!selected.empty()) {
      const DictRef& last = arrangedObjects()[std::size_t(selected.back())];
      return last->value(RecordKeys::categoryPtr()).toDictionary();
    }
    return myCategoryArrayController->getLastCategory();
  }
  return myCategoryArrayController->addDefault();
}

DictRef FilteringArrayController::categoryForNewRecord() {
  if (DictRef chosen = catToAssignToNewObject()) return chosen;
  if (!myCategoryArrayController) return {};
  // The last selected record has no category: use the one an empty document would get.
  if (DictRef generic = myCategoryArrayController->categoryWithTitle(QStringLiteral("Generic")))
    return generic;
  return myCategoryArrayController->addDefault();
}

DictRef FilteringArrayController::newObject() {
  // Every new record shares one list of its thirteen keys.
  static const DictionaryKeysRef keys = std::make_shared<const DictionaryKeys>(std::vector{
      RecordKeys::name(), RecordKeys::account(), RecordKeys::url(), RecordKeys::userID(),
      RecordKeys::password(), RecordKeys::pin(), RecordKeys::security(), RecordKeys::email(),
      RecordKeys::note(), RecordKeys::creationDate(), RecordKeys::modificationDate(),
      RecordKeys::usageCount(), RecordKeys::categoryPtr()});
  const DictRef category = categoryForNewRecord();
  std::vector<Value> values(9, Value(QString()));
  values.emplace_back(Date::now());
  values.emplace_back(Date::now());
  values.push_back(Value::integer(0));
  values.emplace_back(category);
  auto record = Dictionary::create(keys, std::move(values));
  if (!category) record->removeValue(RecordKeys::categoryPtr());
  return record;
}

void FilteringArrayController::addObject(const DictRef& record) {
  if (!record) return;
  assignCategory(record->value(RecordKeys::categoryPtr()).toDictionary(), record);
  ArrayController::addObject(record);
}

void FilteringArrayController::addObjects(const std::vector<DictRef>& records) {
  for (const auto& record : records)
    if (record) assignCategory(record->value(RecordKeys::categoryPtr()).toDictionary(), record);
  ArrayController::addObjects(records);
}

void FilteringArrayController::addObjectAfterSelection(const DictRef& record) {
  if (!record) return;
  const qsizetype selected = selectionIndex();
  if (selected == NotFound) {
    addObject(record);
    return;
  }
  assignCategory(record->value(RecordKeys::categoryPtr()).toDictionary(), record);
  insertObject(record, selected + 1);
}

void FilteringArrayController::removeObject(const DictRef& record) {
  if (!record) return;
  removeRecordFromCategory(record);
  ArrayController::removeObject(record);
}

void FilteringArrayController::removeObjects(const std::vector<DictRef>& records) {
  for (const auto& record : records)
    if (record) removeRecordFromCategory(record);
  ArrayController::removeObjects(records);
}

DictRef FilteringArrayController::duplicateRecord(const DictRef& record) const {
  if (!record) return {};
  DictRef copy = record->copy();
  copy->setValue(RecordKeys::creationDate(), Date::now());
  copy->setValue(RecordKeys::modificationDate(), Date::now());
  copy->removeValue(RecordKeys::usageCount());
  return copy;
}

DictRef FilteringArrayController::duplicateSelection() const {
  const auto selected = selectedObjects();
  return selected.empty() ? DictRef() : duplicateRecord(selected.front());
}

bool FilteringArrayController::assignCategory(const DictRef& category, const DictRef& record) {
  if (!record) return false;
  const DictRef old = record->value(RecordKeys::categoryPtr()).toDictionary();
  if (old && old == category)
    if (const IdentitySet* members = CategoryMembers::of(*category);
        members && members->contains(record.get()))
      return false;
  if (old) removeRecordFromCategory(record);
  const DictRef target = category ? category : categoryForNewRecord();
  record->setValue(RecordKeys::categoryPtr(), target);
  if (!target) return true;
  IdentitySet& members = CategoryMembers::ensure(*target);
  members.append(record);
  target->setValue(CategoryKeys::howManyUsingThis(),
                   Value::unsignedInteger(static_cast<quint64>(members.count())));
  return true;
}

bool FilteringArrayController::removeRecordFromCategory(const DictRef& record) {
  if (!record) return true;
  const DictRef category = record->value(RecordKeys::categoryPtr()).toDictionary();
  if (!category || !myCategoryArrayController) return true;
  IdentitySet* members = CategoryMembers::of(*category);
  if (members && myCategoryArrayController->arrangedObjectsContain(category.get()) &&
      members->remove(record.get()))
    category->setValue(CategoryKeys::howManyUsingThis(),
                       Value::unsignedInteger(static_cast<quint64>(members->count())));
  return true;
}

void FilteringArrayController::setCurrentObjectAccordingToCategory(const DictRef& category) {
  const qsizetype selected = selectionIndex();
  if (selected == NotFound) return;
  assignCategory(category, arrangedObjects()[std::size_t(selected)]);
}

void FilteringArrayController::controlTextDidChange() {
  if (myDoc) myDoc->updateChangeCount(ChangeCounting::ChangeDone);
}
