#include "window/TableColumns.h"

#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "window/RecordTableView.h"

TableColumns::TableColumns(RecordTableView* table, MyDocument* document, UserDefaults& defaults,
                           std::function<bool()> quiet, QObject* parent)
    : QObject(parent),
      table_(table),
      document_(document),
      defaults_(defaults),
      quiet_(std::move(quiet)) {
  assignSortPrototype();
}

RecordColumns::ColumnLayout TableColumns::layout() const { return table_->columnLayout(); }

void TableColumns::setLayout(const RecordColumns::ColumnLayout& layout) {
  table_->setColumnLayout(layout);
  Q_EMIT layoutChanged();
}

ArrayRef TableColumns::sizeSnapshot() const { return RecordColumns::sizeSnapshot(layout()); }

ArrayRef TableColumns::visibilitySnapshot() const {
  return RecordColumns::visibilitySnapshot(layout());
}

void TableColumns::applyVisibility(const ArrayRef& snapshot) {
  if (!snapshot) return;
  RecordColumns::ColumnLayout next = layout();
  RecordColumns::applyVisibility(next, snapshot);
  setLayout(next);
}

void TableColumns::applySizes(const ArrayRef& snapshot) {
  if (!snapshot) return;
  RecordColumns::ColumnLayout next = layout();
  RecordColumns::applySizes(next, snapshot);
  setLayout(next);
}

void TableColumns::applyPreset(RecordColumns::Preset preset) {
  RecordColumns::ColumnLayout next = layout();
  RecordColumns::applyPreset(next, preset);
  setLayout(next);
  if (!quiet_()) markEdited();
}

void TableColumns::switchVisibilityColumnWithIdentifier(const QString& identifier) {
  RecordColumns::ColumnLayout next = layout();
  for (RecordColumns::ColumnState& c : next)
    if (c.identifier == identifier && identifier != u"name") c.hidden = !c.hidden;
  setLayout(next);
  markEdited();
}

void TableColumns::defineCustomTableSettingsToCurrent() {
  if (!document_) return;
  DesktopViewState state = document_->vault().viewState();
  state.customTableSettings = visibilitySnapshot();
  document_->vault().setViewState(state);
  // Stored with the document, so closing must not lose it.
  markEdited();
}

void TableColumns::setCurrentToCustomTableSettings() {
  if (!document_) return;
  const ArrayRef custom = document_->vault().viewState().customTableSettings;
  if (!custom) return;  // none made yet
  applyVisibility(custom);
  // The columns shown are saved with the document, as after a preset.
  markEdited();
}

RecordColumns::Comparison TableColumns::comparison() const {
  return RecordColumns::comparisonFor(defaults_.integerForKey(QStringLiteral("tableSortCompare")));
}

void TableColumns::headerClicked(const QString& identifier) {
  if (!document_ || document_->isEncrypted()) return;
  const auto prototype = sortPrototypes_.find(identifier);
  if (prototype == sortPrototypes_.end()) return;
  const DesktopViewState& state = document_->vault().viewState();
  const bool ascending =
      state.latestOrderedColumn == identifier ? !state.latestOrderedColumnAscending : true;
  selectedTableColumnWithidentifier(identifier, ascending);
  ArrayController::SortDescriptor descriptor = prototype->second;
  descriptor.ascending = ascending;
  sortBy(std::move(descriptor), identifier);
}

void TableColumns::assignSortPrototype() {
  sortPrototypes_.clear();
  const RecordColumns::Comparison compare = comparison();
  for (const RecordColumns::ColumnState& c : layout())
    if (auto d = RecordColumns::sortDescriptor(c.identifier, true, compare))
      sortPrototypes_.emplace(c.identifier, std::move(*d));
}

void TableColumns::selectedTableColumnWithidentifier(const QString& identifier, bool ascending) {
  if (!document_) return;
  DesktopViewState state = document_->vault().viewState();
  state.latestOrderedColumn = identifier;
  state.latestOrderedColumnAscending = ascending;
  document_->vault().setViewState(state);
}

void TableColumns::orderByColumnWithidentifier(const QString& identifier, bool ascending) {
  if (!document_) return;
  if (auto descriptor = RecordColumns::sortDescriptor(identifier, ascending, comparison()))
    sortBy(std::move(*descriptor), identifier);
}

void TableColumns::sortBy(ArrayController::SortDescriptor descriptor, const QString& identifier) {
  ArrayController& records = document_->recordController();
  const bool ascending = descriptor.ascending;
  records.setSortDescriptors({std::move(descriptor)});
  records.rearrangeObjects();
  table_->setSortIndicator(identifier, ascending);
  if (!quiet_()) markEdited();
}

void TableColumns::sortComparisonChanged(const QString& key) {
  if (key != u"tableSortCompare") return;
  assignSortPrototype();
  if (!document_ || document_->isEncrypted()) return;
  const DesktopViewState state = document_->vault().viewState();
  orderByColumnWithidentifier(state.latestOrderedColumn, state.latestOrderedColumnAscending);
}

void TableColumns::markEdited() {
  if (document_) document_->updateChangeCount(ChangeCounting::ChangeDone);
}
