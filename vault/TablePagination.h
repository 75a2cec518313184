#pragma once

#include "platform/Rect.h"

// How the record table is cut into printed pages: whole rows per page, in points. A row
// taller than the printable height gets a page of its own, clipped by it.
struct TablePagination {
  struct Paper {
    double width = 0, height = 0;
    double left = 0, top = 0, right = 0, bottom = 0;  // margins
  };

  float printHeight = 0;  // a whole number of rows
  float printWidth = 0;
  float rowStep = 0;
  int pageCount = 0;

  static TablePagination compute(const Paper& paper, double rowHeight, double rowSpacing,
                                 int rowCount);
  // The part of the table printed on page (from 1); the table's y grows downwards.
  Rect rectForPage(int page) const;
  // The rows that start on page: [first, first + count).
  int firstRowOnPage(int page) const;
  int rowsOnPage(int page, int rowCount) const;
};
