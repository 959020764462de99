#include "app/window_placement.h"

#include <algorithm>

namespace arl {

namespace {

// The area with the largest share of `frame`; the primary one when it touches none.
QRect HomeArea(const QRect& frame, const QList<QRect>& areas, qsizetype primary) {
  qsizetype best = std::clamp<qsizetype>(primary, 0, areas.size() - 1);
  qint64 bestShare = 0;
  for (qsizetype i = 0; i < areas.size(); ++i) {
    const QRect common = frame.intersected(areas[i]);
    const qint64 share = qint64{common.width()} * common.height();
    if (share > bestShare) {
      bestShare = share;
      best = i;
    }
  }
  return areas[best];
}

// One axis: `start` moved so that [start, start + reach) lies in [low, low + room); when `size`
// exceeds the room, the low edge.
int Pulled(int start, int size, int reach, int low, int room) {
  if (size > room) return low;
  return std::clamp(start, low, low + room - reach);
}

}  // namespace

QPoint PlacedOnScreen(const QRect& frame, const QList<QRect>& areas, qsizetype primary, int titleBarHeight) {
  if (areas.isEmpty()) return frame.topLeft();
  const QRect area = HomeArea(frame, areas, primary);
  const int titleBar = std::clamp(titleBarHeight, 0, frame.height());
  return {Pulled(frame.x(), frame.width(), frame.width(), area.x(), area.width()),
          Pulled(frame.y(), frame.height(), titleBar, area.y(), area.height())};
}

}  // namespace arl
