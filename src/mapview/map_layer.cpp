#include "map_layer.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace kmission {

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
    // The same pixels seen as an image of scale 1, drawn under the inverse of
    // the device scale: Qt then copies rows instead of stretching.
    const QImage devicePixels(image_.constBits(), image_.width(), image_.height(),
                              image_.bytesPerLine(), image_.format());
    const qreal inverse = 1.0 / inputs_->deviceScale;
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(inverse, inverse));
    painter.drawImage(QPoint(0, 0), devicePixels);
    painter.restore();
}

} // namespace kmission
