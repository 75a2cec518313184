#include "window/TablePagination.h"

#include <algorithm>
#include <cmath>

TablePagination TablePagination::compute(const Paper& paper, double rowHeight, double rowSpacing,
                                         int rowCount, double tableWidth, double headerHeight) {
  TablePagination p;
  const auto printable = float(paper.height - paper.top - paper.bottom);
  p.rowStep = float(rowHeight + rowSpacing);
  p.printWidth = float(paper.width - paper.left - paper.right);
  if (p.rowStep <= 0 || printable <= 0 || p.printWidth <= 0 || rowCount <= 0) return p;
  if (std::isfinite(tableWidth) && tableWidth > p.printWidth)
    p.scale = float(p.printWidth / tableWidth);
  if (std::isfinite(headerHeight) && headerHeight > 0) p.headerHeight = float(headerHeight);
  // The page's height in table units, less the titles.
  const float rowsArea = printable / p.scale - p.headerHeight;
  const auto rowsPerPage = rowsArea > 0 ? static_cast<long long>(rowsArea / p.rowStep) : 0;
  p.printHeight = rowsPerPage > 0 ? float(rowsPerPage) * p.rowStep : p.rowStep;
  const double tableHeight = double(rowCount) * double(p.rowStep);
  p.pageCount = int(std::ceil(tableHeight / double(p.printHeight)));
  return p;
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
