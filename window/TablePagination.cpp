#include "window/TablePagination.h"

#include <algorithm>
#include <cmath>

TablePagination TablePagination::compute(const Paper& paper, double rowHeight, double rowSpacing,
                                         int rowCount, double tableWidth, double headerHeight) {
  TablePagination p;
  const auto printable = float(paper.height - paper.top - paper.bottom);
  p.rowStep = float(rowHeight + rowSpacing);
  p.printWidth = calculatePrintWidth(paper);
  if (p.rowStep <= 0 || printable <= 0 || p.printWidth <= 0 || rowCount <= 0) return p;
  if (std::isfinite(tableWidth) && tableWidth > p.printWidth)
    p.scale = float(p.printWidth / tableWidth);
  if (std::isfinite(headerHeight) && headerHeight > 0) p.headerHeight = float(headerHeight);
  p.printHeight = p.calculatePrintHeight(printable);
  p.pageCount = p.knowsPageRange(rowCount);
  return p;
}

float TablePagination::calculatePrintHeight(float printable) const {
  const float rowsArea = printable / scale - headerHeight;
  const auto rowsPerPage = rowsArea > 0 ? static_cast<long long>(rowsArea / rowStep) : 0;
  return rowsPerPage > 0 ? float(rowsPerPage) * rowStep : rowStep;
}

float TablePagination::calculatePrintWidth(const Paper& paper) {
  return float(paper.width - paper.left - paper.right);
}

int TablePagination::knowsPageRange(int rowCount) const {
  const double tableHeight = double(rowCount) * double(rowStep);
  return int(std::ceil(tableHeight / double(printHeight)));
}

Rect TablePagination::rectForPage(int page) const {
  return Rect{0, double(float(page - 1) * printHeight), double(printWidth / scale),
              double(printHeight)};
}

int TablePagination::firstRowOnPage(int page) const {
  if (rowStep <= 0) return 0;
  return int(std::lround(double(page - 1) * double(printHeight) / double(rowStep)));
}

int TablePagination::rowsOnPage(int page, int rowCount) const {
  if (rowStep <= 0 || page < 1 || page > pageCount) return 0;
  const int perPage = std::max(1, int(std::lround(double(printHeight) / double(rowStep))));
  return std::clamp(rowCount - firstRowOnPage(page), 0, perPage);
}
