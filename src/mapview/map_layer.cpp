#include "map_layer.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace kmission {

namespace {

// The image's pixels seen as an image of scale 1, drawn under the inverse of
// the device scale: Qt then copies rows instead of stretching.
void DrawDevicePixels(QPainter& painter, const QImage& image, int deviceScale) {
    const QImage devicePixels(image.constBits(), image.width(), image.height(),
                              image.bytesPerLine(), image.format());
    const qreal inverse = 1.0 / deviceScale;
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(inverse, inverse));
    painter.drawImage(QPoint(0, 0), devicePixels);
    painter.restore();
}

} // namespace

bool MapBaseLayer::shows(const Inputs& inputs, const std::vector<EntryTree>& entries,
                         const std::vector<std::size_t>& regionEntries) const {
    if (!inputs_ || !(*inputs_ == inputs) || entries.size() != names_.size() ||
        regionEntries.size() != regionNodes_.size()) {
        return false;
    }
    const auto sameName = [](const EntryTree& entry, const std::string& name) {
        return entry.name == name;
    };
    if (!std::equal(entries.begin(), entries.end(), names_.begin(), sameName)) {
        return false;
    }
    for (std::size_t j = 0; j < regionEntries.size(); ++j) {
        if (!(entries[regionEntries[j]].nodes == regionNodes_[j])) {
            return false;
        }
    }
    return true;
}

QImage& MapBaseLayer::redraw(const Inputs& inputs, const std::vector<EntryTree>& entries,
                             const std::vector<std::size_t>& regionEntries) {
    const QSize deviceSize = inputs.viewSize * inputs.deviceScale;
    if (image_.size() != deviceSize) {
        image_ = QImage(deviceSize, QImage::Format_RGB32);
    }
    image_.setDevicePixelRatio(inputs.deviceScale);
    inputs_ = inputs;
    names_.clear();
    names_.reserve(entries.size());
    for (const EntryTree& entry : entries) {
        names_.push_back(entry.name);
    }
    regionNodes_.clear();
    regionNodes_.reserve(regionEntries.size());
    for (const std::size_t index : regionEntries) {
        regionNodes_.push_back(entries[index].nodes);
    }
    ++redraws_;
    return image_;
}

void MapBaseLayer::drawOn(QPainter& painter) const {
    if (!inputs_) {
        return;
    }
    DrawDevicePixels(painter, image_, inputs_->deviceScale);
}

const std::vector<NodeList>* MapSceneLayer::shownUnits(const MapBaseLayer& base,
                                                       const Inputs& inputs) const {
    return baseDrawing_ == base.redrawCount() && inputs_ == inputs ? &unitNodes_ : nullptr;
}

QImage& MapSceneLayer::redraw(const MapBaseLayer& base, const Inputs& inputs,
                              const std::vector<EntryTree>& entries,
                              const std::vector<std::size_t>& unitEntries) {
    const QImage& basePixels = base.image();
    if (image_.size() != basePixels.size()) {
        image_ = QImage(basePixels.size(), QImage::Format_RGB32);
    }
    image_.setDevicePixelRatio(basePixels.devicePixelRatio());
    baseDrawing_ = base.redrawCount();
    inputs_ = inputs;
    unitNodes_.resize(unitEntries.size());
    for (std::size_t j = 0; j < unitEntries.size(); ++j) {
        const NodeList& nodes = entries[unitEntries[j]].nodes;
        NodeList& kept = unitNodes_[j];
        if (kept.size() != nodes.size()) {
            kept = nodes;
            continue;
        }
        // A drag step changes two texts of a list of many thousands.
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            if (!(kept[k] == nodes[k])) {
                kept[k] = nodes[k];
            }
        }
    }
    return image_;
}

void MapSceneLayer::drawOn(QPainter& painter) const {
    if (baseDrawing_ != 0) {
        DrawDevicePixels(painter, image_, static_cast<int>(image_.devicePixelRatio()));
    }
}

} // namespace kmission
