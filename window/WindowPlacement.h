#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

#include "platform/Rect.h"

// Where a document window lies on its screen, worked out from rectangles alone: the room the
// screen leaves inside the window's frame, a window moved and cut to lie there, the locked
// window's size and place, and the frames that files store with their origin at the lower left.
namespace WindowPlacement {

// The frame the desktop draws around a window: outer is its frame geometry, inner its own.
QMargins frameOf(const QRect& outer, const QRect& inner);

// The frame as Qt tells it at device pixel ratio dpr, rounded to the nearest logical pixel,
// made large enough to hold the desktop's: one pixel more a side where rounding may have cut
// a part of one. None told stays none.
QMargins toldFrame(const QMargins& rounded, double dpr);

// What to leave for the frame: the frame the desktop gives, or reserve while it has told none
// (it tells it once the window is shown, or later): a window placed against no frame at all
// would have its title bar or its bottom edge off the screen.
QMargins frameAllowance(const QMargins& known, const QMargins& reserve);

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

// Where a window opening at window goes when other windows have their top left corners at
// taken: down and to the right, by step (the title bar's height), of the window whose corner
// lies within a step of its own, until none does; back to area's left or top edge where it
// would leave area. Within a step, not only on the same point: a desktop may nudge a window by
// its frame.
QPoint cascaded(const QRect& window, const std::vector<QPoint>& taken, int step, const QRect& area);

// Whether a stored rectangle is one a screen could show (finite, not absurdly far or large).
bool isSane(const Rect& r);

// A window's geometry as files store it, on a screen screenHeight high.
Rect storedFrame(const QRect& geometry, int screenHeight);
// A stored frame as a window's geometry; none for one that no screen could show.
std::optional<QRect> fromStoredFrame(const Rect& frame, int screenHeight);

}  // namespace WindowPlacement
