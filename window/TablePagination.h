#pragma once

#include "platform/Rect.h"

// How the record table is cut into printed pages: the column titles atop every page, then
// whole rows. A table wider than the paper is scaled down to the printable width, so that
// every column reaches the page. Heights are in table units (one unit is scale points),
// widths and the paper in points. A row taller than the page gets a page of its own, clipped.
struct TablePagination {
  struct Paper {
    double width = 0, height = 0;
    double left = 0, top = 0, right = 0, bottom = 0;  // margins
  };

  float printHeight = 0;  // the rows of one page, a whole number of them
  float printWidth = 0;   // the printable width in points
  float rowStep = 0;
  float scale = 1;         // points per table unit: at most 1
  float headerHeight = 0;  // the column titles' row
  int pageCount = 0;

  // tableWidth: the shown columns' widths together; headerHeight: 0 for no titles row.
  static TablePagination compute(const Paper& paper, double rowHeight, double rowSpacing,
                                 int rowCount, double tableWidth = 0, double headerHeight = 0);
  // The page's height in table units less the titles, cut to whole rows; a row at least.
  float calculatePrintHeight(float printable) const;
  static float calculatePrintWidth(const Paper& paper);
  // The pages the rows need, from page 1.
  int knowsPageRange(int rowCount) const;
  // The rows' part of the table printed on page (from 1); the table's y grows downwards.
  Rect rectForPage(int page) const;
  // The rows that start on page: [first, first + count).
  int firstRowOnPage(int page) const;
  int rowsOnPage(int page, int rowCount) const;
};
