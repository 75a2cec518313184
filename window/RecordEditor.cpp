#include "window/RecordEditor.h"

#include <QCoreApplication>
#include <QPointer>

#include "platform/ChangeCounting.h"
#include "platform/UndoManager.h"
#include "vault/FilteringArrayController.h"
#include "vault/Vault.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"

RecordEditor::RecordEditor(FilteringArrayController& records,
                           ZVColoredCategoryArrayController& categories, UndoManager& undo,
                           ChangeCounting& changes, QObject* parent)
    : QObject(parent), records_(records), categories_(categories), undo_(undo), changes_(changes) {}

namespace {

// A history step's hold on its record. A record that only the history kept (deleted, or added
// and undone) is wiped when the history lets it go: on a lock, which clears the history, its
// texts would otherwise stay in freed memory.
struct HeldRecord {
  DictRef record;
  ~HeldRecord() {
    if (record.use_count() == 1) Vault::wipeStrings({Value(std::move(record))});
  }
};

}  // namespace

void RecordEditor::registerTwin(void (RecordEditor::*twin)(const DictRef&), const DictRef& record,
                                const char* actionName) {
  // The step keeps the record alive for as long as the history names it.
  QPointer<RecordEditor> self(this);
  auto held = std::make_shared<HeldRecord>();
  held->record = record;
  undo_.registerUndo([self, twin, held] {
    if (self) (self.data()->*twin)(held->record);
  });
  undo_.setActionName(QCoreApplication::translate("RecordEditor", actionName));
}

void RecordEditor::forgetRemovedCategory(const DictRef& record) const {
  const DictRef category = record->value(RecordKeys::categoryPtr()).toDictionary();
  if (category && categories_.content()->indexOfIdentical(Value(category)) < 0)
    record->removeValue(RecordKeys::categoryPtr());
}

void RecordEditor::insert(const DictRef& record, bool afterSelection) {
  forgetRemovedCategory(record);
  if (afterSelection)
    records_.addObjectAfterSelection(record);
  else
    records_.addObject(record);
  records_.rearrangeObject(record);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void RecordEditor::remove(const DictRef& record) {
  // Removing one record leaves every other row where the filter and sort had it.
  records_.removeObject(record);
  changes_.updateChangeCount(ChangeCounting::ChangeDone);
}

void RecordEditor::addTheRecord(const DictRef& record) {
  registerTwin(&RecordEditor::addTheRecordUndo, record, "Add Record");
  insert(record, false);
  Q_EMIT recordAdded(record);
}

void RecordEditor::addTheRecordUndo(const DictRef& record) {
  registerTwin(&RecordEditor::addTheRecord, record, "Add Record");
  remove(record);
}

void RecordEditor::duplicateTheRecord(const DictRef& record) {
  registerTwin(&RecordEditor::duplicateTheRecordUndo, record, "Duplicate Record");
  insert(record, true);
}

void RecordEditor::duplicateTheRecordUndo(const DictRef& record) {
  registerTwin(&RecordEditor::duplicateTheRecord, record, "Duplicate Record");
  remove(record);
}

void RecordEditor::deleteTheRecord(const DictRef& record) {
  registerTwin(&RecordEditor::deleteTheRecordUndo, record, "Delete Record");
  remove(record);
}

void RecordEditor::deleteTheRecordUndo(const DictRef& record) {
  registerTwin(&RecordEditor::deleteTheRecord, record, "Delete Record");
  insert(record, false);
}
