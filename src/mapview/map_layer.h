#pragma once

#include "editor_state.h"
#include "view_transform.h"

#include <QImage>
#include <QSize>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace kmission {

// The part of the map view that dragging a unit leaves alone: the background,
// the border, the map picture and the regions, kept as an image of the view's
// device pixels. A repaint that changes none of it copies the image instead of
// stroking every region side again.
//
// Whether the image is still right is decided by comparing everything it was
// drawn from, the entries' names and every region entry's node texts
// included, so no edit, undo or dialog can leave it showing old texts.
class MapBaseLayer {
public:
    // What the layer's pixels depend on besides the entries.
    struct Inputs {
        QSize viewSize;
        int deviceScale = 1; // whole device pixels per view pixel
        QRgb background = 0;
        bool mapLoaded = false;
        std::optional<PixelRect> pictureRect;
        qint64 surfaceKey = 0; // QImage::cacheKey of the map surface
        ViewRect viewRect;
        friend bool operator==(const Inputs&, const Inputs&) = default;
    };

    // True when the image shows these inputs and these entries, whose regions
    // are the entries at `regionEntries`.
    bool shows(const Inputs& inputs, const std::vector<EntryTree>& entries,
               const std::vector<std::size_t>& regionEntries) const;

    // Remembers the inputs and entries and returns the image to draw them
    // into: the view's size in device pixels, at the inputs' device scale.
    QImage& redraw(const Inputs& inputs, const std::vector<EntryTree>& entries,
                   const std::vector<std::size_t>& regionEntries);

    // Copies the image onto a painter that draws in view pixels on a device
    // of the same scale, one device pixel onto one.
    void drawOn(QPainter& painter) const;

    // How often the image has been drawn, for the view's tests.
    int redrawCount() const { return redraws_; }

private:
    QImage image_;
    std::optional<Inputs> inputs_;
    std::vector<std::string> names_;
    std::vector<NodeList> regionNodes_;
    int redraws_ = 0;
};

} // namespace kmission
