#include "window/TextViewDelegate.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/CopiedField.h"
#include "window/CopyNotice.h"

TextViewDelegate::TextViewDelegate(MyDocument* myDoc, CopyNotice* notice, UserDefaults& defaults,
                                   QObject* parent)
    : QObject(parent), myDoc_(myDoc), notice_(notice), defaults_(defaults) {
  // Each selection may count one more use.
  connect(&myDoc->recordController(), &ArrayController::selectionChanged, this,
          [this] { usageCountDirtyFlag_ = false; });
}

void TextViewDelegate::textDidChange(const DictRef& record, const QString& key,
                                     QPlainTextEdit* view) {
  if (!view || view->isReadOnly()) return;
  recordEdited(record, key, view->toPlainText());
}

void TextViewDelegate::controlTextDidChange(const DictRef& record, const QString& key,
                                            QLineEdit* field) {
  if (!field || field->isReadOnly()) return;
  // A block of its own, which the record keeps: the field's is wiped when it shows another
  // record.
  recordEdited(record, key, SecureMemory::privateCopy(field->text()));
}

void TextViewDelegate::recordEdited(const DictRef& record, const QString& key,
                                    const QString& text) {
  if (!myDoc_ || !record || myDoc_->isEncrypted()) return;
  const bool wasMutable = record->value(key).isMutable();
  QString previous = record->value(key).toString();
  record->setValue(key, wasMutable ? Value::mutableString(text) : Value(text));
  SecureMemory::release(previous);
  myDoc_->recordController().noteObjectChanged(record.get());
  // The record list tells its document of the edit.
  myDoc_->recordController().controlTextDidChange();
  // The stamp goes on the record that was edited, whatever is selected when it runs.
  QPointer<MyDocument> doc(myDoc_);
  MainQueue::defer([doc, record] {
    if (!doc) return;
    record->setValue(RecordKeys::modificationDate(), Date::now());
    doc->recordController().noteObjectChanged(record.get());
  });
}

void TextViewDelegate::textCopiedInClipboard(int tag) {
  increaseUsageOfRow();
  notifyValueWasCopied(tag);
}

void TextViewDelegate::increaseUsageOfRow() {
  if (usageCountDirtyFlag_ || !myDoc_ || myDoc_->isEncrypted()) return;
  const std::vector<DictRef> selected = myDoc_->recordController().selectedObjects();
  if (selected.empty()) return;
  const DictRef& record = selected.back();
  record->setValue(RecordKeys::usageCount(),
                   Value::integer(record->value(RecordKeys::usageCount()).toInteger() + 1));
  usageCountDirtyFlag_ = true;
  myDoc_->recordController().noteObjectChanged(record.get());
}

void TextViewDelegate::notifyValueWasCopied(int tag) { doNotifyValueWasCopied(tag); }

void TextViewDelegate::doNotifyValueWasCopied(int tag) {
  if (!defaults_.boolForKey(QStringLiteral("useHudNotifyForCopy"))) return;
  if (const std::optional<QString> word = CopiedField::word(tag)) openHud(*word);
}

void TextViewDelegate::openHud(const QString& word) {
  if (!notice_) return;
  notice_->showNotice(
      CopiedField::noticeText(word),
      CopiedField::noticeTenths(defaults_.integerForKey(QStringLiteral("notifyHudTimer"))));
}
