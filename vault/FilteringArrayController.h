#pragma once

#include "platform/ArrayController.h"
#include "platform/ChangeCounting.h"

class ZVColoredCategoryArrayController;

// The document's record list. Every insertion, removal and category change goes through it,
// so each category's member list and count stay in step with the records' categoryPtr.
class FilteringArrayController : public ArrayController {
  Q_OBJECT

 public:
  explicit FilteringArrayController(QObject* parent = nullptr) : ArrayController(parent) {}

  ChangeCounting* myDoc = nullptr;
  ZVColoredCategoryArrayController* myCategoryArrayController = nullptr;

  // A new record of thirteen keys with its category; not yet in the list.
  DictRef newObject() override;
  DictRef catToAssignToNewObject();
  void addObject(const DictRef& record) override;
  // Each record joins the category its categoryPtr names (the new-record one when none).
  void addObjects(const std::vector<DictRef>& records) override;
  void addObjectAfterSelection(const DictRef& record);
  void removeObject(const DictRef& record) override;
  void removeObjects(const std::vector<DictRef>& records) override;
  DictRef duplicateRecord(const DictRef& record) const;
  DictRef duplicateSelection() const;
  bool assignCategory(const DictRef& category, const DictRef& record);
  bool removeRecordFromCategory(const DictRef& record);
  void setCurrentObjectAccordingToCategory(const DictRef& category);
  void controlTextDidChange();

  QString searchString() const { return searchString_; }
  void setSearchString(const QString& s) { searchString_ = s; }
  QString categoryString() const { return categoryString_; }
  void setCategoryString(const QString& s) { categoryString_ = s; }
  QString usedFilterDisplay() const { return usedFilterDisplay_; }
  void setUsedFilterDisplay(const QString& s) { usedFilterDisplay_ = s; }

 private:
  // Never none: falls back to the default category when the chosen one is missing.
  DictRef categoryForNewRecord();

  QString searchString_;
  QString categoryString_;
  QString usedFilterDisplay_;
};
