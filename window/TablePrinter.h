#pragma once

#include <QImage>
#include <vector>

#include "window/TablePagination.h"

class QPageLayout;
class QPainter;
class QPrinter;
class QTableView;

// Prints the record table as it is shown: its shown columns in their order and widths, the
// secrets as the table shows them, the column titles atop every page and whole rows below
// them. A table wider than the paper is scaled down to its printable width (the page set-up's
// orientation gives wide tables more room).
class TablePrinter {
 public:
  explicit TablePrinter(const QTableView* table) : table_(table) {}

  TablePagination paginate(const QPageLayout& layout) const;
  // Prints every page; an empty table prints nothing. False when the printer would not start
  // or its file could not be written. A file printed to is readable by its owner only.
  bool print(QPrinter* printer) const;
  // Paints one page in points, the origin at the corner of the printable area.
  void paintPage(QPainter& painter, const QPageLayout& layout, int page) const;
  // One page as paper, at pixelsPerPoint, for a preview.
  QImage renderPage(const QPageLayout& layout, int page, double pixelsPerPoint) const;

 private:
  bool printPages(QPrinter* printer, const TablePagination& pages) const;
  struct Column {
    int logical;
    int width;
  };
  // The shown columns in display order.
  std::vector<Column> shownColumns() const;

  const QTableView* table_;
};
