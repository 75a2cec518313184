#include "window/EmailList.h"

#include <QCoreApplication>
#include <QPointer>

#include "platform/ChangeCounting.h"
#include "platform/Date.h"
#include "platform/UndoManager.h"

EmailList::EmailList(UndoManager& undo, ChangeCounting& changes, QObject* parent)
    : QObject(parent), undo_(undo), changes_(changes) {}

QStringList EmailList::addresses() const {
  QStringList out;
  for (const DictRef& entry : controller_.arrangedObjects())
    out << entry->value(emailKey()).toString();
  return out;
}

void EmailList::registerTwin(void (EmailList::*twin)(const DictRef&), const DictRef& entry,
                             const char* actionName) {
  QPointer<EmailList> self(this);
  undo_.registerUndo([self, twin, entry] {
    if (self) (self.data()->*twin)(entry);
  });
  undo_.setActionName(QCoreApplication::translate("EmailList", actionName));
}

void EmailList::newEmailInEmailList() {
  DictRef entry = Dictionary::create();
  entry->setValue(emailKey(), Value::mutableString(placeholderAddress()));
  entry->setValue(creationDateKey(), Date::now());
  addEmailInEmailList(entry);
}

void EmailList::deleteEmailInEmailList() {
  const std::vector<DictRef> selected = controller_.selectedObjects();
  if (!selected.empty()) removeEmailInEmailList(selected.back());
}

void EmailList::addEmailInEmailList(const DictRef& entry) {
  registerTwin(&EmailList::addEmailInEmailListUndo, entry, "Add Email");
  controller_.addObject(entry);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void EmailList::addEmailInEmailListUndo(const DictRef& entry) {
  registerTwin(&EmailList::addEmailInEmailList, entry, "Add Email");
  controller_.removeObject(entry);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void EmailList::removeEmailInEmailList(const DictRef& entry) {
  registerTwin(&EmailList::removeEmailInEmailListUndo, entry, "Delete Email");
  controller_.removeObject(entry);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void EmailList::removeEmailInEmailListUndo(const DictRef& entry) {
  registerTwin(&EmailList::removeEmailInEmailList, entry, "Delete Email");
  controller_.addObject(entry);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void EmailList::setAddress(qsizetype row, const QString& address) {
  const auto& entries = controller_.arrangedObjects();
  if (row < 0 || std::size_t(row) >= entries.size()) return;
  const DictRef& entry = entries[std::size_t(row)];
  if (entry->value(emailKey()).toString() == address) return;
  entry->setValue(emailKey(), Value::mutableString(address));
  controller_.noteObjectChanged(entry.get());
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}
