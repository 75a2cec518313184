#include <gtest/gtest.h>

#include <cmath>

#include "window/TablePagination.h"

namespace {

TEST(TablePagination, WholeRowsPerPage) {
  // Printable height 700 (800 paper less 50 and 50), printable width 500.
  const TablePagination::Paper paper{600, 800, 50, 50, 50, 50};
  struct Case {
    double rowHeight, spacing;
    int rows;
    float printHeight;
    int pages;
    int rowsOnLastPage;
  };
  const Case cases[] = {
      {17, 2, 36, 684, 1, 36},  // exactly one page
      {17, 2, 37, 684, 2, 1},  {17, 2, 100, 684, 3, 28},
      {17, 2, 0, 0, 0, 0},     // an empty table prints nothing
      {800, 0, 3, 800, 3, 1},  // taller than the page: one clipped row per page
      {700, 0, 2, 700, 2, 1},  {0, 0, 5, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rowHeight << "+" << c.spacing << " x" << c.rows);
    const auto p = TablePagination::compute(paper, c.rowHeight, c.spacing, c.rows);
    EXPECT_EQ(p.printHeight, c.printHeight);
    EXPECT_EQ(p.printWidth, 500.0f);
    EXPECT_EQ(p.pageCount, c.pages);
    if (c.pages == 0) continue;
    EXPECT_EQ(p.rowsOnPage(c.pages, c.rows), c.rowsOnLastPage);
    // Every row on exactly one page, pages in order.
    int seen = 0;
    for (int page = 1; page <= p.pageCount; ++page) {
      EXPECT_EQ(p.firstRowOnPage(page), seen);
      seen += p.rowsOnPage(page, c.rows);
    }
    EXPECT_EQ(seen, c.rows);
  }
  const auto p = TablePagination::compute(paper, 17, 2, 100);
  EXPECT_EQ(p.rectForPage(1), (Rect{0, 0, 500, 684}));
  EXPECT_EQ(p.rectForPage(3), (Rect{0, 1368, 500, 684}));
  EXPECT_EQ(p.rowsOnPage(4, 100), 0);
}

TEST(TablePagination, AWideTableIsScaledToThePaperUnderItsTitles) {
  // Printable 500 x 700 points.
  const TablePagination::Paper paper{600, 800, 50, 50, 50, 50};
  struct Case {
    double tableWidth, titles;
    float scale;
    float printHeight;  // table units
    int pages;
  };
  const Case cases[] = {
      {400, 0, 1, 684, 3},        // narrower than the paper: as it is
      {500, 19, 1, 665, 3},       // exactly as wide; titles take a row's room
      {1000, 20, 0.5f, 1368, 2},  // half size: twice the rows, less the titles
      {1250, 38, 0.4f, 1710, 2},
      {1000, 1400, 0.5f, 19, 100},  // titles fill the page: one clipped row per page
      {std::nan(""), std::nan(""), 1, 684, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tableWidth << " wide, titles " << c.titles);
    const auto p = TablePagination::compute(paper, 17, 2, 100, c.tableWidth, c.titles);
    EXPECT_FLOAT_EQ(p.scale, c.scale);
    EXPECT_EQ(p.printHeight, c.printHeight);
    EXPECT_EQ(p.pageCount, c.pages);
    // Titles and rows together never run past the paper, unless one row alone does.
    if (p.printHeight > p.rowStep) {
      EXPECT_LE((p.headerHeight + p.printHeight) * p.scale, 700.0f);
    }
    EXPECT_FLOAT_EQ(float(p.rectForPage(1).width) * p.scale, 500.0f);
  }
}

}  // namespace
