#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace kmission::platform {

// Where a window whose frame is `frame` big goes so that it does not cover
// `anchor` (the frame of a window on screen) inside `screen` (the screen's
// available area): to the anchor's right, top edges aligned; else below it,
// left edges aligned; else to its left. When none of these has room, to the
// right, moved back onto the screen as far as it takes. Gives the frame's
// top-left corner.
QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& screen);

// Moves `window` beside `anchor` on the anchor's screen, as PlaceBeside says.
// A window not shown yet has no frame of its own: it is taken to get the
// anchor's frame margins.
void MoveBeside(QWidget& window, const QWidget& anchor);

} // namespace kmission::platform
