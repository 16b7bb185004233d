#pragma once

#include "editor_state.h"
#include "map_layer.h"
#include "picture_decoder.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

namespace kmission {

// Colours of the view's sunken border, as the window system draws a picture
// box: the outer ring shadow above and left, highlight below and right; the
// inner ring dark shadow above and left, light below and right.
inline constexpr QRgb kBorderOuterShadow = 0xffa0a0a0; // (160, 160, 160)
inline constexpr QRgb kBorderOuterLight = 0xffffffff;  // (255, 255, 255)
inline constexpr QRgb kBorderInnerShadow = 0xff696969; // (105, 105, 105)
inline constexpr QRgb kBorderInnerLight = 0xffe3e3e3;  // (227, 227, 227)

// Colours of what is drawn on the map.
inline constexpr QRgb kInsideRegionColour = 0xffffff00;  // region kind "inside"
inline constexpr QRgb kOutsideRegionColour = 0xffff0000; // region kind "outsid"
inline constexpr QRgb kOtherRegionColour = 0xff00ff00;   // any other region kind
inline constexpr QRgb kUnitColour = 0xff00ffff;
inline constexpr QRgb kSelectedUnitColour = 0xffff00ff; // the selected unit in move mode
inline constexpr QRgb kAxisColour = 0xff0000ff;

// The button face colour of the standard desktop theme: the view's background
// where no palette is at hand (the command-line renderer).
inline constexpr QRgb kButtonFaceColour = 0xfff0f0f0;

// Paints the whole map view of outer size `viewSize` at the painter's origin:
// the background, the 2-pixel sunken border and, inside the drawing area, the
// map picture (the top-left 640 x 480 of `mapSurface`, stretched without
// smoothing onto the picture rectangle), every region and unit of the open
// mission and the two world axes, all in one-pixel lines without fill. Inside
// the border nothing but the background is drawn while `mapLoaded` is false.
//
// Positions are read from the node texts on every call; shapes whose position
// is not finite are skipped and lines are clipped before they reach the
// painter, so no coordinate in a mission can stall or crash the rasterizer.
// A unit or region corner node without its six value nodes after it is
// skipped, as is a unit without its angle node; a region without corners
// draws nothing.
//
// With `layers`, and a painter whose device has a whole pixel ratio, the view
// is copied from the scene layer: first the base layer (background, border,
// picture and regions) is drawn again when anything it shows has changed, then
// the scene where units changed, or wholly after a change of the base, the
// selection or the node shift. The pixels are the same.
void PaintMapView(QPainter& painter, const EditorState& state, const QImage& mapSurface,
                  QSize viewSize, QColor background, MapLayers* layers = nullptr);

// The view pixels, within the view, that the selected unit's box covers as
// PaintMapView draws it now; the whole view when the selection names no unit
// with values or its position is not finite. Repainting this area before and
// after the unit moves repaints all that the move changes.
QRect SelectedUnitArea(const EditorState& state, QSize viewSize);

// The hidden image surface for a decoded picture: RGB32, at least 640 x 480,
// filled with `background` where the picture does not reach, the picture at its
// top-left corner.
QImage MakeMapSurface(const DecodedPicture& picture, QColor background);

} // namespace kmission
