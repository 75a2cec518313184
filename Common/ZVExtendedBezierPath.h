#pragma once

#include <QPainterPath>

#include "platform/Rect.h"

// Outlines that QPainterPath does not make itself, in the model's y-up rectangle coordinates.
class ZVExtendedBezierPath {
 public:
  // The rectangle's outline with rounded corners, in the rectangle's y-up coordinates: four
  // quarter arcs of radius centred on the corners of the rectangle inset by radius.
  static QPainterPath bezierPathWithRoundRectInRect(const Rect& rect, double radius);
};
