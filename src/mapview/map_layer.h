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

    const QImage& image() const { return image_; }

    // How often the image has been drawn: the scene layer tells by it whether
    // it was drawn over the pixels the image holds now.
    int redrawCount() const { return redraws_; }

private:
    QImage image_;
    std::optional<Inputs> inputs_;
    std::vector<std::string> names_;
    std::vector<NodeList> regionNodes_;
    int redraws_ = 0;
};

// The whole view as last painted: the units and the axes drawn over the base
// layer's pixels. A repaint in which no unit changed copies it; one in which a
// few units moved, as in a drag step, draws only their old and new boxes again.
//
// Which units changed is found by comparing every unit entry's node texts with
// those the image was drawn from, so no edit, undo or dialog is missed.
class MapSceneLayer {
public:
    // What the units' drawing depends on besides their entries' nodes.
    struct Inputs {
        int highlightedEntry = -1; // the selected unit, highlighted in move mode
        int highlightedNode = 0;
        float nodeShiftX = 0.0f;
        float nodeShiftZ = 0.0f;
        friend bool operator==(const Inputs&, const Inputs&) = default;
    };

    // The nodes of the unit entries as the image shows them, or null when the
    // image is to be drawn whole: it never was, or the base has been drawn
    // again since, or the inputs differ.
    const std::vector<NodeList>* shownUnits(const MapBaseLayer& base, const Inputs& inputs) const;

    // Remembers what the image is now drawn from and returns it, the base's
    // size and scale, for the changed parts to be drawn into.
    QImage& redraw(const MapBaseLayer& base, const Inputs& inputs,
                   const std::vector<EntryTree>& entries,
                   const std::vector<std::size_t>& unitEntries);

    // As MapBaseLayer::drawOn.
    void drawOn(QPainter& painter) const;

private:
    QImage image_;
    int baseDrawing_ = 0; // the base's redrawCount when this was drawn
    Inputs inputs_;
    std::vector<NodeList> unitNodes_;
};

// The layers a map view keeps between repaints.
struct MapLayers {
    MapBaseLayer base;
    MapSceneLayer scene;
};

} // namespace kmission
