#pragma once

#include <QObject>

#include "platform/ArrayController.h"

class ChangeCounting;
class UndoManager;

// The document's list of e-mail addresses as the e-mail sheet edits it: new entries start
// with a placeholder address; adding and deleting are undoable pairs like the record edits.
class EmailList : public QObject {
  Q_OBJECT

 public:
  static QString placeholderAddress() { return QStringLiteral("name@example.com"); }
  static QString emailKey() { return QStringLiteral("email"); }
  static QString creationDateKey() { return QStringLiteral("creationDate"); }

  EmailList(UndoManager& undo, ChangeCounting& changes, QObject* parent = nullptr);

  // The list shown: the document's own array, shared.
  ArrayController& controller() { return controller_; }
  void setContent(ArrayRef emails) { controller_.setContent(std::move(emails)); }
  // The addresses in list order, for the record's e-mail menu.
  QStringList addresses() const;

  void newEmailInEmailList();
  // Deletes the last selected entry, without asking; nothing when none is selected.
  void deleteEmailInEmailList();
  void addEmailInEmailList(const DictRef& entry);
  void addEmailInEmailListUndo(const DictRef& entry);
  void removeEmailInEmailList(const DictRef& entry);
  void removeEmailInEmailListUndo(const DictRef& entry);
  // An address typed in the sheet's table.
  void setAddress(qsizetype row, const QString& address);

 private:
  void registerTwin(void (EmailList::*twin)(const DictRef&), const DictRef& entry,
                    const char* actionName);

  ArrayController controller_;
  UndoManager& undo_;
  ChangeCounting& changes_;
};
