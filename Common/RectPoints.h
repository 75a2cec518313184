#pragma once

#include <QPointF>

#include "platform/Rect.h"

// Named points of a rectangle whose y axis points up (origin at the lower left).
QPointF rectCenter(const Rect& rect);
QPointF rectMiddle(const Rect& rect);  // the same point as rectCenter
QPointF rectTopCenter(const Rect& rect);
QPointF rectTopLeft(const Rect& rect);
QPointF rectTopRight(const Rect& rect);
QPointF rectLeftCenter(const Rect& rect);
QPointF rectBottomCenter(const Rect& rect);
QPointF rectBottomLeft(const Rect& rect);
QPointF rectBottomRight(const Rect& rect);
