#pragma once
// Where the window may stand: a stored or centred position that would leave the title bar out of
// reach (a Top of -500, a Left of 5000, a window taller than a scaled screen) is pulled back onto
// the work area of the screen the window is mostly on, or of the primary screen when it is on none.
// A position whose title bar row is reachable as a whole stays as it is.
#include <QList>
#include <QPoint>
#include <QRect>

namespace arl {

// `frame`: the window with its frame where it would stand; `areas`: each screen's work area;
// `primary`: the index of the primary screen's; `titleBarHeight`: the title bar row's height.
// Across, the whole width must be on the area; down, the title bar row. A window wider (taller)
// than the area goes to its left (top) edge. No areas: `frame`'s own position.
QPoint PlacedOnScreen(const QRect& frame, const QList<QRect>& areas, qsizetype primary, int titleBarHeight);

}  // namespace arl
