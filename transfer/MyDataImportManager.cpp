#include "transfer/MyDataImportManager.h"

#include "platform/Date.h"
#include "vault/VaultKeys.h"

MyDataImportManager::MyDataImportManager(ArrayRef dataArray, ArrayRef keyArray, ZVImporter* sender,
                                         QObject* parent)
    : ZVDataImportManager(std::move(dataArray), std::move(keyArray), sender, parent) {
  // Destinations 0 and 1 import nothing; the order follows the document's field table.
  setImportFieldKeyArray({QString(), QString(), categoryNAME(), RecordKeys::name(),
                          RecordKeys::url(), RecordKeys::account(), RecordKeys::userID(),
                          RecordKeys::password(), RecordKeys::pin(), RecordKeys::security(),
                          RecordKeys::email(), RecordKeys::note()});
  setRowToStartCascadeAssignment(2);
}

DictRef MyDataImportManager::createNewObjectToImport() {
  // Every imported record shares one list of its keys.
  static const DictionaryKeysRef keys = std::make_shared<const DictionaryKeys>(std::vector{
      RecordKeys::name(), RecordKeys::account(), RecordKeys::url(), RecordKeys::userID(),
      RecordKeys::password(), RecordKeys::pin(), RecordKeys::security(), RecordKeys::email(),
      RecordKeys::note(), RecordKeys::creationDate(), RecordKeys::modificationDate(),
      RecordKeys::usageCount(), categoryNAME()});
  std::vector<Value> values;
  values.reserve(13);
  values.emplace_back(QStringLiteral("New"));
  for (int i = 0; i < 8; ++i) values.emplace_back(QString());
  values.emplace_back(Date::now());
  values.emplace_back(Date::now());
  values.push_back(Value::integer(0));
  values.emplace_back(QString());
  return Dictionary::create(keys, std::move(values));
}

void MyDataImportManager::didImport() {
  if (ZVImporter* owner = requester()) owner->justFinishedImporting();
}
