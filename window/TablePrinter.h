#pragma once

#include <QImage>

#include "vault/TablePagination.h"

class QPageLayout;
class QPainter;
class QPrinter;
class QTableView;

// Prints the record table as it is shown (its shown columns in their order and widths, the
// secrets as the table shows them), whole rows per page; one table point per printed point.
class TablePrinter {
 public:
  explicit TablePrinter(const QTableView* table) : table_(table) {}

  TablePagination paginate(const QPageLayout& layout) const;
  // Prints every page; an empty table prints nothing. False when the printer would not start
  // or its file could not be written. A file printed to is readable by its owner only.
  bool print(QPrinter* printer) const;
  // One page as paper, at pixelsPerPoint, for a preview.
  QImage renderPage(const QPageLayout& layout, int page, double pixelsPerPoint) const;

 private:
  bool printPages(QPrinter* printer, const TablePagination& pages) const;
  void paintPage(QPainter& painter, const TablePagination& pages, int page) const;

  const QTableView* table_;
};
