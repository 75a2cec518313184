#include "window/TablePrinter.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStyleOptionViewItem>
#include <QTableView>

#include "platform/AtomicFile.h"

TablePagination TablePrinter::paginate(const QPageLayout& layout) const {
  const QRectF paper = layout.fullRectPoints();
  const QMarginsF margins = layout.marginsPoints();
  TablePagination::Paper p{paper.width(), paper.height(),  margins.left(),
                           margins.top(), margins.right(), margins.bottom()};
  const int rows = table_->model() ? table_->model()->rowCount() : 0;
  return TablePagination::compute(p, table_->verticalHeader()->defaultSectionSize(), 0, rows);
}

bool TablePrinter::print(QPrinter* printer) const {
  const TablePagination pages = paginate(printer->pageLayout());
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
  QPainter painter;
  if (!painter.begin(printer)) return false;
  // The painter starts at the printable area's corner in device pixels.
  const double scale = printer->resolution() / 72.0;
  for (int page = 1; page <= pages.pageCount; ++page) {
    if (page > 1) printer->newPage();
    painter.save();
    painter.scale(scale, scale);
    paintPage(painter, pages, page);
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
  paintPage(painter, paginate(layout), page);
  return image;
}

void TablePrinter::paintPage(QPainter& painter, const TablePagination& pages, int page) const {
  const QAbstractItemModel* model = table_->model();
  const QHeaderView* header = table_->horizontalHeader();
  const int rows = model->rowCount();
  const int first = pages.firstRowOnPage(page);
  const int count = pages.rowsOnPage(page, rows);
  const double step = pages.rowStep;
  painter.setClipRect(QRectF(0, 0, pages.printWidth, pages.printHeight));
  QStyleOptionViewItem option;
  option.initFrom(table_);
  option.state = QStyle::State_Enabled;
  // In pixels, as on screen: a size in points would be taken at the printer's resolution.
  option.font = table_->font();
  option.font.setPixelSize(QFontInfo(table_->font()).pixelSize());
  option.palette.setColor(QPalette::Text, Qt::black);
  option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option.features = QStyleOptionViewItem::HasDisplay;
  option.textElideMode = Qt::ElideRight;
  painter.setPen(QColor(210, 210, 210));
  for (int i = 0; i < count; ++i) {
    const int row = first + i;
    const double y = i * step;
    double x = 0;
    for (int visual = 0; visual < header->count(); ++visual) {
      const int column = header->logicalIndex(visual);
      if (header->isSectionHidden(column)) continue;
      const int width = header->sectionSize(column);
      option.rect = QRectF(x, y, width, step).toRect();
      table_->itemDelegateForIndex(model->index(row, column))
          ->paint(&painter, option, model->index(row, column));
      x += width;
      if (x >= pages.printWidth) break;
    }
    painter.setPen(QColor(210, 210, 210));
    painter.drawLine(QPointF(0, y + step - 0.5),
                     QPointF(std::min<double>(x, pages.printWidth), y + step - 0.5));
  }
}
