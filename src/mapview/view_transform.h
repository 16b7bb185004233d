#pragma once

#include "editor_state.h"
#include "message.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kmission {

// A size in view pixels (logical pixels of the window system).
struct ViewSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const ViewSize&, const ViewSize&) = default;
};

// The map view has a sunken border of this many pixels on each side; ViewRect
// is spread over the drawing area inside it, not over the whole view.
inline constexpr int kViewBorder = 2;

// The outer size SetMapScale gives the view: one picture pixel per view pixel.
inline constexpr ViewSize kMapViewSize{640, 480};

// The picture surface's area that painting stretches onto the view.
inline constexpr int kPictureSourceWidth = 640;
inline constexpr int kPictureSourceHeight = 480;

// The drawing area inside a view of `outer` size: 4 pixels narrower and lower,
// never below 0.
ViewSize DrawingAreaSize(ViewSize outer);

// A position in pixels from the top-left corner of the drawing area; fractions
// are kept so that callers round once, where they draw.
struct PixelPoint {
    double x = 0.0;
    double y = 0.0;
};

// A position in world units: X across the view, Z up and down it.
struct WorldPoint {
    double x = 0.0;
    double z = 0.0;
};

// World <-> drawing-area pixels for one ViewRect and drawing-area size, in
// double precision: px = (x - L) * cw / W, py = (z - T) * ch / H. A zero width
// or height on either side gives infinite or NaN results, which callers that
// draw must skip.
class ViewTransform {
public:
    ViewTransform(const ViewRect& rect, ViewSize drawingArea)
        : left_(rect.left), top_(rect.top), width_(rect.width), height_(rect.height),
          areaWidth_(drawingArea.width), areaHeight_(drawingArea.height) {}

    double toPixelX(double x) const { return (x - left_) * areaWidth_ / width_; }
    double toPixelY(double z) const { return (z - top_) * areaHeight_ / height_; }
    PixelPoint toPixel(WorldPoint world) const { return {toPixelX(world.x), toPixelY(world.z)}; }
    WorldPoint toWorld(PixelPoint pixel) const {
        return {left_ + pixel.x * width_ / areaWidth_, top_ + pixel.y * height_ / areaHeight_};
    }

private:
    double left_;
    double top_;
    double width_;
    double height_;
    double areaWidth_;
    double areaHeight_;
};

inline constexpr const char* kScaleErrorMessage = "Major error in Scale.";

struct MapScaleResult {
    Messages messages;       // "Major error in Scale." when the map cannot be scaled
    bool resizeView = false; // the caller must give the view the outer size kMapViewSize
};

// Gives the view the world coordinate system of the map `mapName` (compared
// ignoring case after cleaning; the last matching catalogue record and picture
// record win). Sets `currentMap` when a catalogue map matches, then `viewZoom`
// to -mpp of map `currentMap` (left alone when there is none). A map without a
// catalogue record, without a picture record, or whose mpp is 0 or not finite
// gives the scale error and leaves ViewRect as it was. Otherwise ViewRect
// becomes L = offsetX, T = offsetZ, W = -640 * mpp, H = -480 * mpp. The names
// of both lists are left cleaned (and padded to their widths).
MapScaleResult SetMapScale(EditorState& state, std::string_view mapName);

inline constexpr double kZoomInFactor = 0.95;
inline constexpr double kZoomOutFactor = 1.05;

// Scales W and H (in double, stored back as float) and viewZoom (kept in
// double) by `factor`; L and T stay, so the top-left corner is the fixed point.
// No limits: zooming works before any mission is open too.
void ZoomView(EditorState& state, double factor);
inline void ZoomIn(EditorState& state) {
    ZoomView(state, kZoomInFactor);
}
inline void ZoomOut(EditorState& state) {
    ZoomView(state, kZoomOutFactor);
}

// A rectangle in drawing-area pixels. 64-bit because a long zoom makes the
// picture rectangle far larger than any window.
struct PixelRect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Where the map picture's 640 x 480 source area goes on the view, from map
// `currentMap`: x = nearest((offsetX - L) / viewZoom), y likewise with offsetZ
// and T, width = nearest(mpp / viewZoom * -640), height with -480 (halves to
// even). Nothing when there is no current map or a value is not finite or
// beyond +-2^62 (a zero viewZoom, say): no picture is drawn then.
std::optional<PixelRect> MapPictureRect(const EditorState& state);

// The main window's client area (below the menu bar) minus these margins is
// the view's size: 640 x 480 at the design client area of 648 x 513.
inline constexpr int kResizeMarginWidth = 8;
inline constexpr int kResizeMarginHeight = 33;

// The view's new outer size when the main window's client area becomes
// `clientArea`: each side follows the window while it stays above its margin
// and keeps its size `view` otherwise. ViewRect and viewZoom do not change.
ViewSize ResizedViewSize(ViewSize view, ViewSize clientArea);

// Back to the current map's own scale and origin for a view of outer size
// `viewSize`: viewZoom = -mpp, W = -(width * mpp), H = -(height * mpp), L =
// offsetX, T = offsetZ. Does nothing while no mission's map is loaded, without
// a current map record, or when that map's mpp is 0 or not finite.
void ResetView(EditorState& state, ViewSize viewSize);

} // namespace kmission
