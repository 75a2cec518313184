#pragma once

#include <QObject>

#include "platform/Dictionary.h"

class ChangeCounting;
class FilteringArrayController;
class UndoManager;
class ZVColoredCategoryArrayController;

// Adds, duplicates and deletes records as undoable pairs: each step registers its twin with
// the same record, names the step, changes the list, places the record as the filter and
// sort want and marks the document changed. Only the record concerned moves in the table.
class RecordEditor : public QObject {
  Q_OBJECT

 public:
  RecordEditor(FilteringArrayController& records, ZVColoredCategoryArrayController& categories,
               UndoManager& undo, ChangeCounting& changes, QObject* parent = nullptr);

  void addTheRecord(const DictRef& record);
  void addTheRecordUndo(const DictRef& record);
  void duplicateTheRecord(const DictRef& record);
  void duplicateTheRecordUndo(const DictRef& record);
  void deleteTheRecord(const DictRef& record);
  void deleteTheRecordUndo(const DictRef& record);

 Q_SIGNALS:
  // A record was added by the add command (or its redo); the table shows its row.
  void recordAdded(const DictRef& record);

 private:
  void registerTwin(void (RecordEditor::*twin)(const DictRef&), const DictRef& record,
                    const char* actionName);
  // A record coming back whose category went meanwhile takes the one a new record gets.
  void forgetRemovedCategory(const DictRef& record) const;
  void insert(const DictRef& record, bool afterSelection);
  void remove(const DictRef& record);

  FilteringArrayController& records_;
  ZVColoredCategoryArrayController& categories_;
  UndoManager& undo_;
  ChangeCounting& changes_;
};
