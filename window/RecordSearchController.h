#pragma once

#include <QObject>
#include <QPointer>

#include "window/RecordFilter.h"

class FilterInfoPane;
class MyDocument;
class QComboBox;
class QLineEdit;

// Narrows the record table of one window to a category chosen in its category menu and a
// text typed in its search field, and shows the filter in force in the information pane.
// The list is filtered again only when the text or the category changes.
class RecordSearchController : public QObject {
  Q_OBJECT

 public:
  // The menu's first two items stand for every category and the line under it.
  static constexpr int kAllCategoriesItem = 0;
  static constexpr int kFirstCategoryItem = 2;

  RecordSearchController(MyDocument* document, QLineEdit* searchField, QComboBox* categoryMenu,
                         FilterInfoPane* infoPane, QObject* parent = nullptr);

  const RecordFilter& filter() const { return filter_; }
  QString usedFilterDisplay() const { return filter_.usedFilterDisplay(); }
  bool prevFilterInaction() const { return prevFilterInaction_; }

  void setFilterPredicate();
  void resetFilterPredicate();
  void showAllCategory();
  void showAllAndResetFilter();
  void showSearchInfoView(bool show);
  // Selects the first row of the filtered table.
  void filteringWasPerformed();
  // One item per category, in content order, after the two fixed ones. The chosen category
  // stays chosen; one that went with a lock comes back as its unlocked twin (same
  // identifier). Nothing is filtered while the menu is rebuilt.
  void synkCategorySubMenu();
  void doSelectCatMenu(int index);

 private:
  void searchTextChanged(const QString& text);
  // narrowing: the new filter passes only records the one in force passes.
  void apply(bool narrowing);

  QPointer<MyDocument> document_;
  QLineEdit* searchField_;
  QComboBox* categoryMenu_;
  FilterInfoPane* infoPane_;
  RecordFilter filter_;
  bool prevFilterInaction_ = true;
  bool rebuilding_ = false;
};
