#include "vault/RecordFieldTable.h"

#include "platform/Dictionary.h"

ArrayRef recordFieldTable() {
  static const std::pair<const char*, const char*> entries[] = {
      {"Category", "categoryPtr.cat_category"},
      {"Name", "name"},
      {"Url", "url"},
      {"Account", "account"},
      {"User ID", "userID"},
      {"Password", "password"},
      {"Pin", "pin"},
      {"Security", "security"},
      {"Email", "email"},
      {"Note", "note"}};
  auto table = Array::create();
  for (const auto& [publicKey, innerKey] : entries) {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("publicKey"), QString::fromLatin1(publicKey));
    entry->setValue(QStringLiteral("innerKey"), QString::fromLatin1(innerKey));
    table->append(entry);
  }
  return table;
}
