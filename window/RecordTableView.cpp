#include "window/RecordTableView.h"

#include <QHeaderView>
#include <cmath>

#include "window/MyTableDelegate.h"
#include "window/RecordTableModel.h"

RecordTableView::RecordTableView(ArrayController* records, const QFont& tableFont, QWidget* parent)
    : QTableView(parent),
      model_(new RecordTableModel(records, this)),
      delegate_(new MyTableDelegate(RecordTableModel::kCategoryColumn, tableFont, this)) {
  setModel(model_);
  setItemDelegate(delegate_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAlternatingRowColors(true);
  setShowGrid(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  verticalHeader()->hide();
  // Rows all of one height, so the view never measures rows (fast with many records).
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setTableFont(tableFont);
  QHeaderView* header = horizontalHeader();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Initial widths, in the columns' order.
  constexpr int kWidths[] = {110, 180, 160, 110, 140, 100, 60, 100, 160, 110, 110, 50};
  static_assert(std::size(kWidths) == std::tuple_size_v<decltype(widths_)>);
  for (int c = 0; c < int(std::size(kWidths)); ++c) {
    widths_[std::size_t(c)] = kWidths[c];
    header->resizeSection(c, kWidths[c]);
  }
  header->setMinimumSectionSize(int(RecordColumns::minimumWidth(QString())));
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int logical) { Q_EMIT headerClicked(model_->identifier(logical)); });
  connect(header, &QHeaderView::sectionResized, this,
          [this](int logical, int, int newSize) { tableViewColumnDidResize(logical, newSize); });
  connect(header, &QHeaderView::sectionMoved, this, [this] {
    if (!settingLayout_) Q_EMIT columnsChangedByUser();
  });
}

void RecordTableView::tableViewColumnDidResize(int logical, int newSize) {
  if (newSize > 0) widths_[std::size_t(logical)] = newSize;
  // Hiding or showing a column resizes its section: not the user's resize.
  if (!settingLayout_ && newSize > 0) Q_EMIT columnsChangedByUser();
}

const QFont& RecordTableView::tableFont() const { return delegate_->tableFont(); }

void RecordTableView::setTableFont(const QFont& font) {
  delegate_->setTableFont(font);
  // The label keeps a point clear of the cell's edges and its text 2 more of its own.
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
  viewport()->update();
}

RecordColumns::ColumnLayout RecordTableView::columnLayout() const {
  RecordColumns::ColumnLayout layout;
  const QHeaderView* header = horizontalHeader();
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    layout.push_back({model_->identifier(logical), header->isSectionHidden(logical),
                      widths_[std::size_t(logical)]});
  }
  return layout;
}

void RecordTableView::setColumnLayout(const RecordColumns::ColumnLayout& layout) {
  settingLayout_ = true;
  QHeaderView* header = horizontalHeader();
  for (const RecordColumns::ColumnState& c : layout) {
    const int logical = model_->columnOf(c.identifier);
    if (logical < 0) continue;
    widths_[std::size_t(logical)] = c.width;
    header->setSectionHidden(logical, c.hidden);
    if (!c.hidden) header->resizeSection(logical, int(std::lround(c.width)));
  }
  settingLayout_ = false;
}

void RecordTableView::setSortIndicator(const QString& identifier, bool ascending) {
  const int column = model_->columnOf(identifier);
  QHeaderView* header = horizontalHeader();
  header->setSortIndicatorShown(column >= 0);
  if (column >= 0)
    header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}
