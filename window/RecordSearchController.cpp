#include "window/RecordSearchController.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/FilterInfoPane.h"

RecordSearchController::RecordSearchController(MyDocument* document, QLineEdit* searchField,
                                               QComboBox* categoryMenu, FilterInfoPane* infoPane,
                                               QObject* parent)
    : QObject(parent),
      document_(document),
      searchField_(searchField),
      categoryMenu_(categoryMenu),
      infoPane_(infoPane) {
  categoryMenu_->addItem(QStringLiteral("All Categories"));
  categoryMenu_->insertSeparator(1);
  connect(searchField_, &QLineEdit::textChanged, this, &RecordSearchController::searchTextChanged);
  connect(categoryMenu_, &QComboBox::activated, this, &RecordSearchController::doSelectCatMenu);
  // Every window starts with the pane hidden and the table at full height.
  showSearchInfoView(false);
}

void RecordSearchController::searchTextChanged(const QString& text) {
  const QString before = filter_.searchString();
  if (before == text) return;
  filter_.setSearchString(text);
  // A text holding the one before (the first letter holds the empty text) finds only
  // records shown now: they are narrowed in their order, not filtered and sorted afresh.
  apply(text.contains(before, Qt::CaseInsensitive));
}

void RecordSearchController::setFilterPredicate() { apply(false); }

void RecordSearchController::apply(bool narrowing) {
  if (!document_) return;
  showSearchInfoView(filter_.inForce());
  infoPane_->setText(filter_.usedFilterDisplay());
  if (narrowing)
    document_->recordController().narrowFilterPredicate(filter_.predicate());
  else
    document_->recordController().setFilterPredicate(filter_.predicate());
}

void RecordSearchController::resetFilterPredicate() {
  filter_.setSearchString({});
  filter_.setCategory({});
  {
    const QSignalBlocker quiet(searchField_);
    searchField_->clear();
  }
  setFilterPredicate();
}

void RecordSearchController::showAllCategory() {
  filter_.setCategory({});
  setFilterPredicate();
  if (categoryMenu_->currentIndex() != kAllCategoriesItem)
    categoryMenu_->setCurrentIndex(kAllCategoriesItem);
}

void RecordSearchController::showAllAndResetFilter() {
  showAllCategory();
  resetFilterPredicate();
}

void RecordSearchController::showSearchInfoView(bool show) {
  if (show == prevFilterInaction_) return;
  prevFilterInaction_ = show;
  // The pane sits above the split view in one layout: showing it takes its band from the
  // table's height, hiding it gives the band back.
  infoPane_->setVisible(show);
}

void RecordSearchController::filteringWasPerformed() {
  if (document_) document_->recordController().setSelectionIndex(0);
}

void RecordSearchController::synkCategorySubMenu() {
  if (!document_) return;
  const QSignalBlocker quiet(categoryMenu_);
  while (categoryMenu_->count() > kFirstCategoryItem)
    categoryMenu_->removeItem(categoryMenu_->count() - 1);
  ZVColoredCategoryArrayController& categories = document_->categoryController();
  // A key no category holds: every category compares equal, so content order it is.
  categories.setSortDescriptors({ArrayController::SortDescriptor(
      RecordKeys::categoryPtr() + QStringLiteral(".") + CategoryKeys::category(), true)});
  categories.rearrangeObjects();
  DictRef chosen = filter_.category();
  if (chosen && !categories.arrangedObjectsContain(chosen.get())) {
    const qint64 id = ZVColoredCategoryArrayController::uniqueIDOf(*chosen);
    chosen = categories.getCategoryWithUniqueID(id);
    filter_.setCategory(chosen);
    setFilterPredicate();
  }
  int current = kAllCategoriesItem;
  for (const DictRef& category : categories.arrangedObjects()) {
    if (category == chosen) current = categoryMenu_->count();
    categoryMenu_->addItem(
        category->value(CategoryKeys::category()).toString(),
        QVariant::fromValue(ZVColoredCategoryArrayController::uniqueIDOf(*category)));
  }
  categoryMenu_->setCurrentIndex(current);
}

void RecordSearchController::doSelectCatMenu(int index) {
  if (!document_ || document_->isEncrypted()) return;
  if (index == kAllCategoriesItem) {
    showAllCategory();
    return;
  }
  if (index < kFirstCategoryItem) return;
  // The item names its category by identifier, never by a position in another list.
  const DictRef category = document_->categoryController().getCategoryWithUniqueID(
      categoryMenu_->itemData(index).toLongLong());
  if (!category) return;
  filter_.setCategory(category);
  setFilterPredicate();
}
