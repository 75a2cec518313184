#pragma once

#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "Common/ZVColorUtilOSX.h"
#include "platform/Color.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"

// Documents with records, made through the real list controllers.
namespace VaultFixture {

inline const QString kPassword = QStringLiteral("hunter22");

// Settings in a file of the test's own folder, with the registered values the test's windows
// read, in a fixed English locale.
inline std::unique_ptr<UserDefaults> settingsIn(
    const QTemporaryDir& dir, const std::vector<std::pair<QString, Value>>& registeredValues) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  auto defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
  auto registered = Dictionary::create();
  for (const auto& [key, value] : registeredValues) registered->setValue(key, value);
  defaults->registerDefaults(registered);
  return defaults;
}

inline DictRef addCategory(MyDocument& doc, const QString& title, float r, float g, float b) {
  DictRef category = doc.categoryController().addWithName(title);
  category->setValue(CategoryKeys::backColor(),
                     ZVColorUtilOSX::dictFromNSColor(Color::calibratedRGB(r, g, b, 1)));
  return category;
}

inline DictRef addRecord(MyDocument& doc, const QString& name, const DictRef& category,
                         const QString& password = QStringLiteral("s3cret!"),
                         Date created = Date{700000000}) {
  DictRef r = doc.recordController().newObject();
  r->setValue(RecordKeys::name(), name);
  r->setValue(RecordKeys::url(), QStringLiteral("https://%1.example").arg(name.toLower()));
  r->setValue(RecordKeys::account(), QStringLiteral("acct-%1").arg(name.size()));
  r->setValue(RecordKeys::userID(), name.toLower() + QStringLiteral("@mail.example"));
  r->setValue(RecordKeys::password(), password);
  r->setValue(RecordKeys::pin(), QStringLiteral("4321"));
  r->setValue(RecordKeys::email(), name.toLower() + QStringLiteral("@mail.example"));
  r->setValue(RecordKeys::note(), QStringLiteral("Note about %1").arg(name));
  r->setValue(RecordKeys::creationDate(), created);
  r->setValue(RecordKeys::modificationDate(), created);
  if (category) r->setValue(RecordKeys::categoryPtr(), category);
  doc.recordController().addObject(r);
  return r;
}

// Twenty records in four coloured categories.
inline void fillTwenty(MyDocument& doc) {
  const std::vector<DictRef> categories = {
      addCategory(doc, QStringLiteral("Banks"), 0.20f, 0.45f, 0.80f),
      addCategory(doc, QStringLiteral("Mail"), 0.85f, 0.35f, 0.20f),
      addCategory(doc, QStringLiteral("Shopping and very long category titles"), 0.30f, 0.65f,
                  0.30f),
      addCategory(doc, QStringLiteral("Work"), 0.55f, 0.35f, 0.70f)};
  const char* names[] = {"Acme Bank", "Bookshop",   "Calendar", "Dentist",    "Electric",
                         "Forum",     "Gas supply", "Hosting",  "Insurance",  "Journal",
                         "Kiosk",     "Library",    "Mailbox",  "Newsletter", "Office VPN",
                         "Pharmacy",  "Quiz site",  "Radio",    "Streaming",  "Travel"};
  int i = 0;
  for (const char* n : names) {
    addRecord(doc, QString::fromLatin1(n), categories[std::size_t(i % 4)],
              QString(6 + i % 7, QLatin1Char('x')), Date{700000000.0 + i * 86400.0});
    ++i;
  }
}

}  // namespace VaultFixture
