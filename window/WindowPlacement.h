#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

#include "platform/Rect.h"

// Where a document window lies on its screen, worked out from rectangles alone: the room the
// screen leaves inside the window's frame, a window moved and cut to lie there, the locked
// window's size and place, and the frames that files store with their origin at the lower left.
namespace WindowPlacement {

// The frame the desktop draws around a window: outer is its frame geometry, inner its own.
QMargins frameOf(const QRect& outer, const QRect& inner);

// Where the window itself may lie: the free part of the screen less its frame.
QRect clientArea(const QRect& available, const QMargins& frame);

// The window moved, and cut where it is larger, to lie inside area; an empty area changes
// nothing.
QRect fitted(QRect window, const QRect& area);

// A minimum size that area can hold: the screen wins over the layout.
QSize minimumWithin(QSize minimum, const QRect& area);

// The locked window: locked, or less on a smaller area. It keeps its top left corner, or is
// centred in area when it first opens, and lies inside area.
QRect lockedPlace(const QRect& current, QSize locked, const QRect& area, bool centre);

// Whether a stored rectangle is one a screen could show (finite, not absurdly far or large).
bool isSane(const Rect& r);

// A window's geometry as files store it, on a screen screenHeight high.
Rect storedFrame(const QRect& geometry, int screenHeight);
// A stored frame as a window's geometry; none for one that no screen could show.
std::optional<QRect> fromStoredFrame(const Rect& frame, int screenHeight);

}  // namespace WindowPlacement
