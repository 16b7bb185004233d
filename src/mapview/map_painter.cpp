#include "map_painter.h"

#include "mission.h"
#include "shape_batch.h"
#include "text.h"
#include "view_transform.h"

#include <QPainter>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kmission {

namespace {

// Up to this size Qt stretches the picture itself; beyond it only a few
// picture pixels can be visible and each is filled as a rectangle.
constexpr std::int64_t kDirectStretchLimit = 32768;

constexpr int kRegionKindStart = 4; // characters 5 to 10 of the cleaned name
constexpr int kRegionKindLength = 6;
// Value nodes by their distance from a corner's or unit's name node.
constexpr int kXNode = 4;
constexpr int kZNode = 6;
constexpr int kAngleNode = 7; // units only; a unit without it is skipped
constexpr double kUnitBoxHalf = 5.0;
constexpr double kAxisReach = 10000.0;

// The map picture: the source area's top-left 640 x 480 (or what the surface
// holds of it) stretched onto `target` without smoothing.
void DrawPicture(QPainter& painter, const QImage& surface, const PixelRect& target, ViewSize area) {
    if (surface.isNull() || target.width <= 0 || target.height <= 0) {
        return;
    }
    const QPoint border(kViewBorder, kViewBorder);
    const int sourceWidth = std::min(kPictureSourceWidth, surface.width());
    const int sourceHeight = std::min(kPictureSourceHeight, surface.height());
    const double scaleX = static_cast<double>(target.width) / kPictureSourceWidth;
    const double scaleY = static_cast<double>(target.height) / kPictureSourceHeight;
    const auto originX = static_cast<double>(target.x);
    const auto originY = static_cast<double>(target.y);
    const double coveredWidth = sourceWidth * scaleX;
    const double coveredHeight = sourceHeight * scaleY;
    if (originX >= area.width || originY >= area.height || originX + coveredWidth <= 0.0 ||
        originY + coveredHeight <= 0.0) {
        return;
    }
    if (target.width <= kDirectStretchLimit && target.height <= kDirectStretchLimit) {
        const QRect destination(static_cast<int>(target.x), static_cast<int>(target.y),
                                Nearest(coveredWidth), Nearest(coveredHeight));
        painter.drawImage(destination.translated(border), surface,
                          QRect(0, 0, sourceWidth, sourceHeight));
        return;
    }
    const int firstColumn = std::max(0, static_cast<int>(std::floor(-originX / scaleX)));
    const int endColumn =
        std::min(sourceWidth, static_cast<int>(std::ceil((area.width - originX) / scaleX)));
    const int firstRow = std::max(0, static_cast<int>(std::floor(-originY / scaleY)));
    const int endRow =
        std::min(sourceHeight, static_cast<int>(std::ceil((area.height - originY) / scaleY)));
    const auto edge = [](double position, int limit) {
        return Nearest(std::clamp(position, -1.0, static_cast<double>(limit) + 1.0));
    };
    for (int row = firstRow; row < endRow; ++row) {
        const int y0 = edge(originY + row * scaleY, area.height);
        const int y1 = edge(originY + (row + 1) * scaleY, area.height);
        for (int column = firstColumn; column < endColumn; ++column) {
            const int x0 = edge(originX + column * scaleX, area.width);
            const int x1 = edge(originX + (column + 1) * scaleX, area.width);
            painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0).translated(border),
                             QColor(surface.pixel(column, row)));
        }
    }
}

enum class EntryKind { Other, InsideRegion, OutsideRegion, OtherRegion, Units };

EntryKind KindOf(std::string_view cleanedName) {
    if (IsUnitEntry(cleanedName)) {
        return EntryKind::Units;
    }
    if (!IsRegionEntry(cleanedName)) {
        return EntryKind::Other;
    }
    const std::string_view kind = cleanedName.size() > kRegionKindStart
                                      ? cleanedName.substr(kRegionKindStart, kRegionKindLength)
                                      : std::string_view{};
    if (kind == "inside") {
        return EntryKind::InsideRegion;
    }
    if (kind == "outsid") {
        return EntryKind::OutsideRegion;
    }
    return EntryKind::OtherRegion;
}

QRgb RegionColour(EntryKind kind) {
    switch (kind) {
    case EntryKind::InsideRegion:
        return kInsideRegionColour;
    case EntryKind::OutsideRegion:
        return kOutsideRegionColour;
    default:
        return kOtherRegionColour;
    }
}

double NumberAt(const NodeList& nodes, int k) {
    return TextToNumber(nodes[static_cast<std::size_t>(k)].text());
}

// A closed outline through the corners in node order with a dot at the first
// corner. The previous corner is kept in whole world units (16-bit, clamped),
// so each segment starts at a rounded corner and ends at the exact next one.
void DrawRegion(ShapeBatch& batch, const ViewTransform& transform, const EntryTree& entry) {
    const NodeList& nodes = entry.nodes;
    const int count = entry.nodeCount();
    bool seen = false;
    WorldPoint first;
    WorldPoint previous;
    for (int k = 1; k + kZNode <= count; ++k) {
        if (!IsCornerNode(nodes[static_cast<std::size_t>(k)].text())) {
            continue;
        }
        const WorldPoint corner{NumberAt(nodes, k + kXNode), NumberAt(nodes, k + kZNode)};
        if (!seen) {
            seen = true;
            first = corner;
            batch.point(transform.toPixel(corner));
        } else {
            batch.line(transform.toPixel(previous), transform.toPixel(corner));
        }
        previous = {static_cast<double>(ToInt16(corner.x)), static_cast<double>(ToInt16(corner.z))};
    }
    if (seen) {
        batch.line(transform.toPixel(previous), transform.toPixel(first));
    }
}

// The opposite corners, in drawing-area pixels, of the box of the unit whose
// name is node k, moved by the node shift.
std::pair<PixelPoint, PixelPoint> UnitBox(const ViewTransform& transform, const EditorState& state,
                                          const NodeList& nodes, int k) {
    const double x = NumberAt(nodes, k + kXNode);
    const double z = NumberAt(nodes, k + kZNode);
    const double shiftX = state.nodeShiftX;
    const double shiftZ = state.nodeShiftZ;
    return {transform.toPixel({x - kUnitBoxHalf + shiftX, z - kUnitBoxHalf + shiftZ}),
            transform.toPixel({x + kUnitBoxHalf + shiftX, z + kUnitBoxHalf + shiftZ})};
}

void DrawUnits(ShapeBatch& batch, const ViewTransform& transform, const EditorState& state,
               int entryIndex) {
    const EntryTree& entry = state.mission.missionEntries[static_cast<std::size_t>(entryIndex)];
    const NodeList& nodes = entry.nodes;
    const int count = entry.nodeCount();
    const bool selectionShown = state.moveMode && state.selectedEntry == entryIndex;
    for (int k = 1; k + kAngleNode <= count; ++k) {
        if (!IsUnitNode(nodes[static_cast<std::size_t>(k)].text())) {
            continue;
        }
        batch.setColour(selectionShown && state.selectedNode == k ? kSelectedUnitColour
                                                                  : kUnitColour);
        const auto [a, b] = UnitBox(transform, state, nodes, k);
        batch.box(a, b);
    }
}

std::vector<EntryKind> EntryKinds(const std::vector<EntryTree>& entries) {
    std::vector<EntryKind> kinds;
    kinds.reserve(entries.size());
    std::string storage;
    for (const EntryTree& entry : entries) {
        kinds.push_back(KindOf(CleanTextView(entry.name, storage)));
    }
    return kinds;
}

// The indices of the entries whose kind passes `test`.
template <typename Test>
std::vector<std::size_t> EntriesWhere(const std::vector<EntryKind>& kinds, Test test) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (test(kinds[i])) {
            indices.push_back(i);
        }
    }
    return indices;
}

std::vector<std::size_t> RegionEntries(const std::vector<EntryKind>& kinds) {
    return EntriesWhere(
        kinds, [](EntryKind kind) { return kind != EntryKind::Other && kind != EntryKind::Units; });
}

std::vector<std::size_t> UnitEntries(const std::vector<EntryKind>& kinds) {
    return EntriesWhere(kinds, [](EntryKind kind) { return kind == EntryKind::Units; });
}

// The border belongs to the widget, not to the map: on a denser screen it
// grows with the view, so each ring is one design pixel wide and is filled
// rather than stroked with the map's one-device-pixel pen.
void DrawBorder(QPainter& painter, QSize size) {
    const auto ring = [&](int inset, QRgb shadow, QRgb light) {
        const int width = size.width() - 2 * inset;
        const int height = size.height() - 2 * inset;
        const int right = inset + width - 1;
        const int bottom = inset + height - 1;
        painter.fillRect(QRect(inset, inset, width, 1), QColor::fromRgb(shadow));
        painter.fillRect(QRect(inset, inset, 1, height), QColor::fromRgb(shadow));
        painter.fillRect(QRect(inset, bottom, width, 1), QColor::fromRgb(light));
        painter.fillRect(QRect(right, inset + 1, 1, height - 1), QColor::fromRgb(light));
    };
    ring(0, kBorderOuterShadow, kBorderOuterLight);
    ring(1, kBorderInnerShadow, kBorderInnerLight);
}

// Saves the painter and sets it up for hard-edged, unfilled shapes.
void BeginShapes(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setBrush(Qt::NoBrush);
}

// Clips the painter to the drawing area; false when there is no area to draw
// in or no map to draw.
bool ClipToDrawingArea(QPainter& painter, const EditorState& state, ViewSize area) {
    if (!state.mapLoaded || area.width <= 0 || area.height <= 0) {
        return false;
    }
    painter.setClipRect(QRect(kViewBorder, kViewBorder, area.width, area.height),
                        Qt::IntersectClip);
    return true;
}

// What a drag leaves alone: the background, the border, the picture and the
// regions.
void PaintBase(QPainter& painter, const EditorState& state, const QImage& mapSurface,
               QSize viewSize, QColor background, const std::vector<EntryKind>& kinds,
               const std::vector<std::size_t>& regionEntries) {
    BeginShapes(painter);
    painter.fillRect(QRect(QPoint(0, 0), viewSize), background);
    DrawBorder(painter, viewSize);
    const ViewSize area = DrawingAreaSize({viewSize.width(), viewSize.height()});
    if (ClipToDrawingArea(painter, state, area)) {
        if (const auto pictureRect = MapPictureRect(state)) {
            DrawPicture(painter, mapSurface, *pictureRect, area);
        }
        const ViewTransform transform(state.viewRect, area);
        ShapeBatch batch(painter, area);
        for (const std::size_t i : regionEntries) {
            batch.setColour(RegionColour(kinds[i]));
            DrawRegion(batch, transform, state.mission.missionEntries[i]);
        }
        batch.flush();
    }
    painter.restore();
}

// The units and the axes, over the base.
void PaintUnitsAndAxes(QPainter& painter, const EditorState& state, QSize viewSize,
                       const std::vector<EntryKind>& kinds) {
    const ViewSize area = DrawingAreaSize({viewSize.width(), viewSize.height()});
    BeginShapes(painter);
    if (ClipToDrawingArea(painter, state, area)) {
        const ViewTransform transform(state.viewRect, area);
        ShapeBatch batch(painter, area);
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            if (kinds[i] == EntryKind::Units) {
                DrawUnits(batch, transform, state, static_cast<int>(i));
            }
        }
        batch.setColour(kAxisColour);
        batch.line(transform.toPixel({0.0, -kAxisReach}), transform.toPixel({0.0, kAxisReach}));
        batch.line(transform.toPixel({-kAxisReach, 0.0}), transform.toPixel({kAxisReach, 0.0}));
        batch.flush();
    }
    painter.restore();
}

// The view pixels the box of the unit whose name is node k covers as it is
// drawn now; the whole view when its position is not finite.
QRect UnitArea(const EditorState& state, QSize viewSize, const NodeList& nodes, int k) {
    const QRect view(QPoint(0, 0), viewSize);
    const ViewTransform transform(state.viewRect,
                                  DrawingAreaSize({viewSize.width(), viewSize.height()}));
    const auto [a, b] = UnitBox(transform, state, nodes, k);
    if (!Finite(a) || !Finite(b)) {
        return view;
    }
    // Every side is drawn at a rounded position between the box's edges, or
    // on the clip bounds when an edge lies beyond them.
    const auto clamped = [](double pixel, int size) { return std::clamp(pixel, -4.0, size + 4.0); };
    const int left = static_cast<int>(std::floor(clamped(std::min(a.x, b.x), viewSize.width())));
    const int right = static_cast<int>(std::ceil(clamped(std::max(a.x, b.x), viewSize.width())));
    const int top = static_cast<int>(std::floor(clamped(std::min(a.y, b.y), viewSize.height())));
    const int bottom = static_cast<int>(std::ceil(clamped(std::max(a.y, b.y), viewSize.height())));
    const QRect box =
        QRect(QPoint(left, top), QPoint(right, bottom)).translated(kViewBorder, kViewBorder);
    return box & view;
}

// The view pixels whose units differ between a unit entry drawn from `before`
// and from `after`, lists of the same size: the old and the new box of every
// unit whose name or position texts differ.
QRect ChangedUnitsArea(const EditorState& state, QSize viewSize, const NodeList& before,
                       const NodeList& after) {
    QRect area;
    const int count = static_cast<int>(after.size()) - 1;
    for (int k = 1; k + kAngleNode <= count; ++k) {
        const bool wasUnit = IsUnitNode(before[static_cast<std::size_t>(k)].text());
        const bool isUnit = IsUnitNode(after[static_cast<std::size_t>(k)].text());
        if ((!wasUnit && !isUnit) ||
            std::equal(before.begin() + k, before.begin() + k + kZNode + 1, after.begin() + k)) {
            continue;
        }
        if (wasUnit) {
            area |= UnitArea(state, viewSize, before, k);
        }
        if (isUnit) {
            area |= UnitArea(state, viewSize, after, k);
        }
    }
    return area;
}

// The view pixels in which the scene layer no longer shows the units as they
// are; the whole view when it is to be drawn whole.
QRect StaleSceneArea(const MapLayers& layers, const MapSceneLayer::Inputs& inputs,
                     const EditorState& state, QSize viewSize,
                     const std::vector<std::size_t>& unitEntries) {
    const QRect view(QPoint(0, 0), viewSize);
    const std::vector<NodeList>* shown = layers.scene.shownUnits(layers.base, inputs);
    if (shown == nullptr || shown->size() != unitEntries.size()) {
        return view;
    }
    QRect area;
    for (std::size_t j = 0; j < unitEntries.size(); ++j) {
        const NodeList& before = (*shown)[j];
        const NodeList& after = state.mission.missionEntries[unitEntries[j]].nodes;
        if (before == after) {
            continue;
        }
        if (before.size() != after.size()) {
            return view;
        }
        area |= ChangedUnitsArea(state, viewSize, before, after);
    }
    return area;
}

// Brings both layers up to date and copies the scene onto the painter.
void PaintWithLayers(QPainter& painter, MapLayers& layers, const MapBaseLayer::Inputs& inputs,
                     const EditorState& state, const QImage& mapSurface, QColor background,
                     const std::vector<EntryKind>& kinds) {
    const std::vector<EntryTree>& entries = state.mission.missionEntries;
    const std::vector<std::size_t> regionEntries = RegionEntries(kinds);
    if (!layers.base.shows(inputs, entries, regionEntries)) {
        QPainter basePainter(&layers.base.redraw(inputs, entries, regionEntries));
        PaintBase(basePainter, state, mapSurface, inputs.viewSize, background, kinds,
                  regionEntries);
    }
    const bool highlighted = state.moveMode && state.selectedEntry >= 0;
    const MapSceneLayer::Inputs sceneInputs{highlighted ? state.selectedEntry : -1,
                                            highlighted ? state.selectedNode : 0, state.nodeShiftX,
                                            state.nodeShiftZ};
    const std::vector<std::size_t> unitEntries = UnitEntries(kinds);
    const QRect stale = StaleSceneArea(layers, sceneInputs, state, inputs.viewSize, unitEntries);
    if (!stale.isEmpty()) {
        QPainter scenePainter(&layers.scene.redraw(layers.base, sceneInputs, entries, unitEntries));
        scenePainter.setClipRect(stale);
        layers.base.drawOn(scenePainter);
        PaintUnitsAndAxes(scenePainter, state, inputs.viewSize, kinds);
    }
    layers.scene.drawOn(painter);
}

} // namespace

void PaintMapView(QPainter& painter, const EditorState& state, const QImage& mapSurface,
                  QSize viewSize, QColor background, MapLayers* layers) {
    if (viewSize.isEmpty()) {
        return;
    }
    const std::vector<EntryKind> kinds = EntryKinds(state.mission.missionEntries);
    // The layers' pixels equal drawing in place only when copying them over
    // the view's pixels is the same as drawing opaque shapes there.
    const int deviceScale = WholeDeviceScale(painter);
    const bool layersUsable = layers != nullptr && deviceScale > 0 && background.alpha() == 255 &&
                              ReplacesPixels(painter);
    if (layersUsable) {
        const MapBaseLayer::Inputs inputs{
            viewSize,        deviceScale,           background.rgba(),
            state.mapLoaded, MapPictureRect(state), mapSurface.cacheKey(),
            state.viewRect};
        PaintWithLayers(painter, *layers, inputs, state, mapSurface, background, kinds);
        return;
    }
    PaintBase(painter, state, mapSurface, viewSize, background, kinds, RegionEntries(kinds));
    PaintUnitsAndAxes(painter, state, viewSize, kinds);
}

QRect SelectedUnitArea(const EditorState& state, QSize viewSize) {
    const QRect view(QPoint(0, 0), viewSize);
    const std::vector<EntryTree>& entries = state.mission.missionEntries;
    if (state.selectedEntry < 0 || state.selectedEntry >= static_cast<int>(entries.size())) {
        return view;
    }
    const EntryTree& entry = entries[static_cast<std::size_t>(state.selectedEntry)];
    const int k = state.selectedNode;
    if (k < 1 || k + kAngleNode > entry.nodeCount()) {
        return view;
    }
    return UnitArea(state, viewSize, entry.nodes, k);
}

QImage MakeMapSurface(const DecodedPicture& picture, QColor background) {
    const bool complete = picture.width > 0 && picture.height > 0 &&
                          picture.pixels.size() >= static_cast<std::size_t>(picture.width) *
                                                       static_cast<std::size_t>(picture.height);
    const int width = std::max(kPictureSourceWidth, complete ? picture.width : 0);
    const int height = std::max(kPictureSourceHeight, complete ? picture.height : 0);
    QImage surface(width, height, QImage::Format_RGB32);
    if (surface.isNull()) {
        return surface;
    }
    surface.fill(background);
    if (!complete) {
        return surface;
    }
    const std::uint32_t* source = picture.pixels.data();
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(surface.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            line[x] = 0xff000000u | *source++;
        }
    }
    return surface;
}

} // namespace kmission
