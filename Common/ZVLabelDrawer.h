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

// A rounded rectangle (the record table and the categories table).
class ZVLabelDrawerExt {
 public:
  static void drawString(QPainter& painter, const LabelText& text, int width, int height,
                         const QColor& backColor);
};

// A band with rounded ends (the selected record's category view).
class ZVLabelDrawer {
 public:
  static void drawString(QPainter& painter, const LabelText& text, int width, int height,
                         const QColor& backColor);
};
