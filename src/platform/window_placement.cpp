#include "window_placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kmission::platform {

QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& screen) {
    const QPoint candidates[] = {
        {anchor.right() + 1, anchor.top()},
        {anchor.left(), anchor.bottom() + 1},
        {anchor.left() - frame.width(), anchor.top()},
    };
    for (const QPoint& corner : candidates) {
        const QRect place(corner, frame);
        if (screen.contains(place)) {
            return place.topLeft();
        }
    }
    const int x =
        std::max(screen.left(), std::min(candidates[0].x(), screen.right() + 1 - frame.width()));
    const int y =
        std::max(screen.top(), std::min(candidates[0].y(), screen.bottom() + 1 - frame.height()));
    return {x, y};
}

void MoveBeside(QWidget& window, const QWidget& anchor) {
    const QRect anchorFrame = anchor.frameGeometry();
    const QSize anchorMargins = anchorFrame.size() - anchor.size();
    const QSize frame =
        window.isVisible() ? window.frameGeometry().size() : window.size() + anchorMargins;
    const QScreen* screen = anchor.screen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : anchorFrame;
    window.move(PlaceBeside(anchorFrame, frame, area));
}

} // namespace kmission::platform
