#include "window/TablePrinter.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStyleOptionViewItem>
#include <QTableView>

#include "platform/AtomicFile.h"

namespace {
// In pixels, as on screen: a size in points would be taken at the printer's resolution.
QFont inPixels(QFont font) {
  font.setPixelSize(QFontInfo(font).pixelSize());
  return font;
}

constexpr int kTitlePadding = 4;
}  // namespace

std::vector<TablePrinter::Column> TablePrinter::shownColumns() const {
  std::vector<Column> columns;
  const QHeaderView* header = table_->horizontalHeader();
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (!header->isSectionHidden(logical) && header->sectionSize(logical) > 0)
      columns.push_back({logical, header->sectionSize(logical)});
  }
  return columns;
}

TablePagination TablePrinter::paginate(const QPageLayout& layout) const {
  const QRectF paper = layout.fullRectPoints();
  const QMarginsF margins = layout.marginsPoints();
  TablePagination::Paper p{paper.width(), paper.height(),  margins.left(),
                           margins.top(), margins.right(), margins.bottom()};
  const int rows = table_->model() ? table_->model()->rowCount() : 0;
  double tableWidth = 0;
  for (const Column& c : shownColumns()) tableWidth += c.width;
  const QHeaderView* header = table_->horizontalHeader();
  return TablePagination::compute(p, table_->verticalHeader()->defaultSectionSize(), 0, rows,
                                  tableWidth, header->sizeHint().height());
}

bool TablePrinter::print(QPrinter* printer) const {
  const QPageLayout layout = printer->pageLayout();
  const TablePagination pages = paginate(layout);
  if (pages.pageCount == 0) return true;
  const QString target = printer->outputFileName();
  if (target.isEmpty()) return printPages(printer, pages);
  // A printed file holds the records in clear: it is the user's alone from its first byte,
  // also where it replaces a file that others could read. The printer writes a temporary made
  // for the owner only, which then takes the file's place.
  const Result<void> written = AtomicFile::writeByName(
      target,
      [&](const QString& temporary) -> Result<void> {
        printer->setOutputFileName(temporary);
        const bool printed = printPages(printer, pages);
        printer->setOutputFileName(target);
        if (!printed) return Failure{QStringLiteral("The printer could not be started.")};
        return {};
      },
      AtomicFile::Permissions::OwnerOnly);
  return written.ok();
}

bool TablePrinter::printPages(QPrinter* printer, const TablePagination& pages) const {
  const QPageLayout layout = printer->pageLayout();
  QPainter painter;
  if (!painter.begin(printer)) return false;
  // The painter starts at the printable area's corner in device pixels.
  const double scale = printer->resolution() / 72.0;
  for (int page = 1; page <= pages.pageCount; ++page) {
    if (page > 1) printer->newPage();
    painter.save();
    painter.scale(scale, scale);
    paintPage(painter, layout, page);
    painter.restore();
  }
  return painter.end();
}

QImage TablePrinter::renderPage(const QPageLayout& layout, int page, double pixelsPerPoint) const {
  const QRectF paper = layout.fullRectPoints();
  QImage image((paper.size() * pixelsPerPoint).toSize(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(pixelsPerPoint, pixelsPerPoint);
  painter.translate(layout.marginsPoints().left(), layout.marginsPoints().top());
  paintPage(painter, layout, page);
  return image;
}

void TablePrinter::paintPage(QPainter& painter, const QPageLayout& layout, int page) const {
  const TablePagination pages = paginate(layout);
  const QAbstractItemModel* model = table_->model();
  if (!model || page < 1 || page > pages.pageCount) return;
  const std::vector<Column> columns = shownColumns();
  const int first = pages.firstRowOnPage(page);
  const int count = pages.rowsOnPage(page, model->rowCount());
  const double step = pages.rowStep, titles = pages.headerHeight;
  painter.save();
  painter.setClipRect(QRectF(QPointF(0, 0), layout.paintRectPoints().size()));
  // From here on in the table's own units.
  painter.scale(pages.scale, pages.scale);
  double width = 0;
  for (const Column& c : columns) width += c.width;
  const QColor rule(210, 210, 210);

  // The column titles.
  if (titles > 0) {
    const QFont font = inPixels(table_->horizontalHeader()->font());
    const QFontMetrics metrics(font);
    painter.setFont(font);
    painter.fillRect(QRectF(0, 0, width, titles), QColor(236, 236, 236));
    double x = 0;
    for (const Column& c : columns) {
      const QRectF cell(x, 0, c.width, titles);
      const QString title = model->headerData(c.logical, Qt::Horizontal).toString();
      painter.setPen(Qt::black);
      painter.drawText(cell.adjusted(kTitlePadding, 0, -kTitlePadding, 0),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       metrics.elidedText(title, Qt::ElideRight, c.width - 2 * kTitlePadding));
      painter.setPen(rule);
      painter.drawLine(QPointF(x + c.width - 0.5, 0), QPointF(x + c.width - 0.5, titles));
      x += c.width;
    }
    painter.setPen(QColor(160, 160, 160));
    painter.drawLine(QPointF(0, titles - 0.5), QPointF(width, titles - 0.5));
  }

  // Whole rows.
  QStyleOptionViewItem option;
  option.initFrom(table_);
  option.state = QStyle::State_Enabled;
  option.font = inPixels(table_->font());
  option.palette.setColor(QPalette::Text, Qt::black);
  option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option.features = QStyleOptionViewItem::HasDisplay;
  option.textElideMode = Qt::ElideRight;
  for (int i = 0; i < count; ++i) {
    const int row = first + i;
    const double y = titles + i * step;
    double x = 0;
    for (const Column& c : columns) {
      const QModelIndex index = model->index(row, c.logical);
      option.rect = QRectF(x, y, c.width, step).toRect();
      table_->itemDelegateForIndex(index)->paint(&painter, option, index);
      x += c.width;
    }
    painter.setPen(rule);
    painter.drawLine(QPointF(0, y + step - 0.5), QPointF(width, y + step - 0.5));
  }
  painter.restore();
}
