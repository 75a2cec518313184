#include "window/CopiedField.h"

#include <QCoreApplication>

#include "vault/VaultKeys.h"

namespace CopiedField {

const std::vector<Copy>& copies() {
  static const std::vector<Copy> table = {
      {QStringLiteral("copyCategory:"), RecordKeys::categoryPtr(), std::nullopt, false},
      {QStringLiteral("copyName:"), RecordKeys::name(), 1, false},
      {QStringLiteral("copyUrl:"), RecordKeys::url(), 2, false},
      {QStringLiteral("copyAccount:"), RecordKeys::account(), 3, false},
      {QStringLiteral("copyUserID:"), RecordKeys::userID(), 4, false},
      {QStringLiteral("copyPassword:"), RecordKeys::password(), 5, true},
      {QStringLiteral("copyPin:"), RecordKeys::pin(), 6, true},
      {QStringLiteral("copySecurity:"), RecordKeys::security(), 7, true},
      {QStringLiteral("copyEmail:"), RecordKeys::email(), 8, false},
      {QStringLiteral("copyNote:"), RecordKeys::note(), std::nullopt, false}};
  return table;
}

const Copy* forAction(const QString& action) {
  for (const Copy& c : copies())
    if (c.action == action) return &c;
  return nullptr;
}

std::optional<QString> word(int tag) {
  static const char* const words[] = {"category", "name", "url",      "account", "user id",
                                      "password", "pin",  "security", "email",   "note"};
  if (tag < 0 || tag >= int(std::size(words))) return std::nullopt;
  return QString::fromLatin1(words[tag]);
}

QString noticeText(const QString& word) {
  return QCoreApplication::translate("CopiedField", "%1 copied").arg(word);
}

int noticeTenths(qint64 setting) {
  if (setting >= 31) return 30;
  if (setting <= 2) return 3;
  return int(setting);
}

}  // namespace CopiedField
