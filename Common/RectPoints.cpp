#include "Common/RectPoints.h"

QPointF rectCenter(const Rect& r) { return {r.x + r.width / 2, r.y + r.height / 2}; }
QPointF rectMiddle(const Rect& r) { return rectCenter(r); }
QPointF rectTopCenter(const Rect& r) { return {r.x + r.width * 0.5, r.y + r.height}; }
QPointF rectTopLeft(const Rect& r) { return {r.x, r.y + r.height}; }
QPointF rectTopRight(const Rect& r) { return {r.x + r.width, r.y + r.height}; }
QPointF rectLeftCenter(const Rect& r) { return {r.x, r.y + r.height * 0.5}; }
QPointF rectBottomCenter(const Rect& r) { return {r.x + r.width * 0.5, r.y}; }
QPointF rectBottomLeft(const Rect& r) { return {r.x, r.y}; }
QPointF rectBottomRight(const Rect& r) { return {r.x + r.width, r.y}; }
