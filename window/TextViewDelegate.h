#pragma once

#include <QObject>
#include <QPointer>

#include "platform/Value.h"

class CopyNotice;
class MyDocument;
class QLineEdit;
class QPlainTextEdit;
class UserDefaults;

// Serves the detail view's fields for their document. What the user types goes into the
// record it was typed for, marks the document edited and stamps the record with the time of
// the edit; a copy counts one use of the selected record, at most once per selection, and
// shows the copy notice for the field that was copied.
class TextViewDelegate : public QObject {
  Q_OBJECT

 public:
  // notice: where the copy notice shows; defaults: whether it shows, and for how long.
  TextViewDelegate(MyDocument* myDoc, CopyNotice* notice, UserDefaults& defaults,
                   QObject* parent = nullptr);

  MyDocument* myDoc() const { return myDoc_; }

  // The user typed into a text view (the note) or a text field showing key of record. A
  // read-only control is being filled, not typed into: nothing changes.
  void textDidChange(const DictRef& record, const QString& key, QPlainTextEdit* view);
  void controlTextDidChange(const DictRef& record, const QString& key, QLineEdit* field);
  // A copy control copied its field; tag is the CopiedFieldTag the control carries.
  void textCopiedInClipboard(int tag);

  // Counts one use of the selected record, unless this selection's use is counted already.
  void increaseUsageOfRow();
  // A field copied itself: tag is the code of the control that copied.
  void notifyValueWasCopied(int tag);
  // Shows the notice for the field tag names, when the settings ask for notices; the
  // window's copy commands call it with their own code.
  void doNotifyValueWasCopied(int tag);
  // Shows "word copied" for as long as the settings say.
  void openHud(const QString& word);

 private:
  void recordEdited(const DictRef& record, const QString& key, const QString& text);

  QPointer<MyDocument> myDoc_;
  QPointer<CopyNotice> notice_;
  UserDefaults& defaults_;
  bool usageCountDirtyFlag_ = false;
};
