#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;

// Category labels: a filled shape in the category's fill colour with its title inside, in
// the text colour, cut to fit with "..". The painter's origin is the label's top-left corner
// and the label is W x H; shapes are drawn as on a y-up surface, mirrored to Qt's y-down.
struct LabelText {
  QString string;
  QFont font;
  QColor color;  // the category's text colour
};

// The rounded rectangle of the record table and the categories table, and two arrows. The
// arrows draw a title without a colour of its own in foreColor; the rectangle ignores it.
class ZVLabelDrawerExt {
 public:
  static void drawString(QPainter& painter, const LabelText& text, int width, int height,
                         const QColor& backColor, const QColor& foreColor);
  static void drawLeftArrowString(QPainter& painter, const LabelText& text, int width, int height,
                                  const QColor& backColor, const QColor& foreColor);
  static void drawRightArrowString(QPainter& painter, const LabelText& text, int width, int height,
                                   const QColor& backColor, const QColor& foreColor);
};

// A band with rounded ends (the selected record's category view); foreColor is not used.
class ZVLabelDrawer {
 public:
  static void drawString(QPainter& painter, const LabelText& text, int width, int height,
                         const QColor& backColor, const QColor& foreColor);
};
