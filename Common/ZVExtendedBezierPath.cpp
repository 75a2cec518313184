#include "Common/ZVExtendedBezierPath.h"

namespace {

// One arc counter-clockwise (y up) from startDegrees to startDegrees + 90 around (cx, cy).
// QPainterPath::arcTo measures angles counter-clockwise on a y-down screen, so the y-up angle
// a appears there as -a.
void quarterArc(QPainterPath& path, double cx, double cy, double radius, double startDegrees) {
  const QRectF box(cx - radius, cy - radius, 2 * radius, 2 * radius);
  path.arcTo(box, -startDegrees, -90.0);
}

}  // namespace

QPainterPath ZVExtendedBezierPath::bezierPathWithRoundRectInRect(const Rect& rect, double radius) {
  const double left = rect.x + radius;
  const double bottom = rect.y + radius;
  const double right = left + (rect.width - 2 * radius);
  const double top = bottom + (rect.height - 2 * radius);

  QPainterPath path;
  path.moveTo(left - radius, bottom);
  quarterArc(path, left, bottom, radius, 180.0);   // bottom-left
  path.lineTo(right, bottom - radius);             // bottom run, the inset width
  quarterArc(path, right, bottom, radius, 270.0);  // bottom-right
  path.lineTo(right + radius, top);                // right run, the inset height
  quarterArc(path, right, top, radius, 0.0);       // top-right
  path.lineTo(left, top + radius);                 // top run
  quarterArc(path, left, top, radius, 90.0);       // top-left
  path.closeSubpath();                             // left run back to the start
  return path;
}
