#include "window/WindowPlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace WindowPlacement {

QMargins frameOf(const QRect& outer, const QRect& inner) {
  return QMargins(std::max(0, inner.left() - outer.left()), std::max(0, inner.top() - outer.top()),
                  std::max(0, outer.right() - inner.right()),
                  std::max(0, outer.bottom() - inner.bottom()));
}

QMargins toldFrame(const QMargins& rounded, double dpr) {
  // A side of n device pixels is n / dpr logical ones. At ratio 1 that is whole, and at 2 the
  // only part is a half, which rounds up; at any other ratio a part under a half rounds down.
  if (rounded.isNull() || dpr == 1.0 || dpr == 2.0) return rounded;
  return rounded + QMargins(1, 1, 1, 1);
}

QMargins frameAllowance(const QMargins& known, const QMargins& reserve) {
  return known.isNull() ? reserve : known;
}

QRect clientArea(const QRect& available, const QMargins& frame) {
  return available.marginsRemoved(frame);
}

QRect fitted(QRect window, const QRect& area) {
  if (area.isEmpty()) return window;
  window.setWidth(std::min(window.width(), area.width()));
  window.setHeight(std::min(window.height(), area.height()));
  window.moveLeft(std::clamp(window.left(), area.left(), area.right() - window.width() + 1));
  window.moveTop(std::clamp(window.top(), area.top(), area.bottom() - window.height() + 1));
  return window;
}

QSize minimumWithin(QSize minimum, const QRect& area) {
  if (area.isEmpty()) return minimum;
  return minimum.boundedTo(area.size());
}

QRect lockedPlace(const QRect& current, QSize locked, const QRect& area, bool centre) {
  if (!area.isEmpty()) locked = locked.boundedTo(area.size());
  QRect next(current.topLeft(), locked);
  if (centre && !area.isEmpty()) next.moveCenter(area.center());
  return fitted(next, area);
}

QPoint cascaded(const QRect& window, const std::vector<QPoint>& taken, int step,
                const QRect& area) {
  QPoint at = window.topLeft();
  if (step <= 0) return at;
  // Each turn frees the corner or moves on; as many turns as corners taken end the walk.
  const auto covers = [&](const QPoint& corner) {
    return std::abs(corner.x() - at.x()) < step && std::abs(corner.y() - at.y()) < step;
  };
  for (std::size_t turn = 0; turn <= taken.size(); ++turn) {
    const auto covered = std::find_if(taken.begin(), taken.end(), covers);
    if (covered == taken.end()) return at;
    at = *covered + QPoint(step, step);
    if (!area.isEmpty() && at.x() + window.width() - 1 > area.right()) at.setX(area.left());
    if (!area.isEmpty() && at.y() + window.height() - 1 > area.bottom()) at.setY(area.top());
  }
  return at;
}

bool isSane(const Rect& r) {
  const auto ok = [](double v) { return std::isfinite(v) && std::fabs(v) < 1.0e6; };
  return ok(r.x) && ok(r.y) && ok(r.width) && ok(r.height);
}

Rect storedFrame(const QRect& geometry, int screenHeight) {
  return Rect{double(geometry.x()), double(screenHeight - geometry.y() - geometry.height()),
              double(geometry.width()), double(geometry.height())};
}

std::optional<QRect> fromStoredFrame(const Rect& frame, int screenHeight) {
  if (!isSane(frame) || frame.width <= 0 || frame.height <= 0) return std::nullopt;
  return QRect(int(frame.x), int(screenHeight - frame.y - frame.height), int(frame.width),
               int(frame.height));
}

}  // namespace WindowPlacement
