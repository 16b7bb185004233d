#pragma once

#include "text.h"
#include "view_transform.h"

#include <QImage>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <cmath>
#include <cstddef>
#include <vector>

class QPainter;

namespace kmission {

// Shapes whose position is not finite are not drawn.
inline bool Finite(PixelPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The whole pixel a position is drawn at, halfway values to the even one.
inline int Nearest(double value) {
    return static_cast<int>(RoundHalfEven(value));
}

// The device pixels per view pixel when they are a whole number and the
// painter draws in view pixels (no transform of its own); 0 otherwise.
// A one-pixel pen's line from view pixel a to b then covers device pixels
// a * d ... b * d of its row or column.
int WholeDeviceScale(const QPainter& painter);

// Whether an opaque colour the painter draws replaces the pixel under it, so
// that copying or writing pixels gives what drawing would.
bool ReplacesPixels(const QPainter& painter);

// The area lines are clipped to, in drawing-area pixels.
struct ClipBounds {
    double left;
    double top;
    double right;
    double bottom;
};

// Collects shapes in drawing-area pixels and hands them to the painter in view
// pixels. The border offset is added here rather than by a painter transform,
// which Qt would apply to every point again.
class ShapeBatch {
public:
    ShapeBatch(QPainter& painter, ViewSize area);

    void setColour(QRgb colour);

    void point(PixelPoint p);

    void line(PixelPoint a, PixelPoint b);

    // The outline of the axis-aligned box with opposite corners a and b. Sides
    // outside the bounds are moved onto them, where the painter's clip hides
    // them, so that a huge box still shows its visible sides.
    void box(PixelPoint a, PixelPoint b);

    void flush();

private:
    static int View(double drawingAreaPixel) { return Nearest(drawingAreaPixel) + kViewBorder; }

    // Writes the pixels a one-pixel pen gives the boxes' sides straight into
    // the image's rows: Qt strokes a line pixel by pixel, and its filling
    // spends more on each small rectangle than on its pixels. The boxes of one
    // colour may be drawn in any order, so they go from top to bottom: a box
    // touches a row of the image per pixel, and neighbouring boxes then touch
    // the same rows while they are still in the cache.
    void writeBoxSides();

    // A counting sort: the rows are few, and a comparison sort's branches
    // cannot be predicted on boxes strewn over the view.
    void sortBoxesByTop();

    void flushWhenFull();

    QPainter& painter_;
    ClipBounds bounds_;
    QRgb colour_ = 0;
    int deviceScale_;
    QRect imageClip_;
    QImage* image_; // written directly when not null, within imageClip_
    std::vector<QLine> lines_;
    std::vector<QPoint> points_;
    std::vector<QRect> boxes_; // in device pixels, sides included
    std::vector<QRect> sorted_;
    std::vector<std::size_t> starts_;
};

} // namespace kmission
