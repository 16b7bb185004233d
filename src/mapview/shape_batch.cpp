#include "shape_batch.h"

#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <numeric>

namespace kmission {

namespace {

// Lines may reach this far outside the drawing area before they are cut: the
// painter's clip removes the rest, and no coordinate handed to Qt is absurd.
constexpr double kClipMargin = 2.0;

// Shapes are handed to the painter in batches of one colour; a batch is drawn
// when the colour changes, so the drawing order stays that of the mission.
constexpr std::size_t kBatchLimit = 4096;

QPen CosmeticPen(QRgb colour) {
    QPen pen{QColor::fromRgb(colour)};
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

// Liang-Barsky: cuts the segment to the bounds; false when nothing is left.
bool ClipSegment(PixelPoint& a, PixelPoint& b, const ClipBounds& bounds) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return false;
    }
    double t0 = 0.0;
    double t1 = 1.0;
    const auto edge = [&](double p, double q) {
        if (p == 0.0) {
            return q >= 0.0;
        }
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1) {
                return false;
            }
            t0 = std::max(t0, r);
        } else {
            if (r < t0) {
                return false;
            }
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, a.x - bounds.left) || !edge(dx, bounds.right - a.x) ||
        !edge(-dy, a.y - bounds.top) || !edge(dy, bounds.bottom - a.y)) {
        return false;
    }
    const PixelPoint start = a;
    if (t1 < 1.0) {
        b = {start.x + t1 * dx, start.y + t1 * dy};
    }
    if (t0 > 0.0) {
        a = {start.x + t0 * dx, start.y + t0 * dy};
    }
    return true;
}

// The image the painter draws on, when its pixels can be written directly and
// give what the painter would draw: the painter maps view pixels onto whole
// device pixels, opaque colours replace 32-bit pixels, and it clips to one
// rectangle, returned in `clip` as device pixels.
QImage* DirectlyWritableImage(QPainter& painter, int deviceScale, QRect& clip) {
    if (deviceScale == 0 ||
        painter.combinedTransform() != QTransform::fromScale(deviceScale, deviceScale) ||
        painter.device()->devType() != QInternal::Image || !ReplacesPixels(painter)) {
        return nullptr;
    }
    auto* image = static_cast<QImage*>(painter.device());
    if (image->format() != QImage::Format_RGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied) {
        return nullptr;
    }
    clip = image->rect();
    if (painter.hasClipping()) {
        const QRegion region = painter.clipRegion();
        if (region.rectCount() != 1) {
            return nullptr;
        }
        const QRect bounds = region.boundingRect();
        clip &= QRect(bounds.topLeft() * deviceScale, bounds.size() * deviceScale);
    }
    return image;
}

} // namespace

bool ReplacesPixels(const QPainter& painter) {
    return painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

int WholeDeviceScale(const QPainter& painter) {
    if (!painter.worldTransform().isIdentity() || painter.device() == nullptr) {
        return 0;
    }
    const qreal ratio = painter.device()->devicePixelRatio();
    const int whole = static_cast<int>(ratio);
    return whole >= 1 && whole == ratio ? whole : 0;
}

ShapeBatch::ShapeBatch(QPainter& painter, ViewSize area)
    : painter_(painter), bounds_{-kClipMargin, -kClipMargin, area.width - 1 + kClipMargin,
                                 area.height - 1 + kClipMargin},
      deviceScale_(WholeDeviceScale(painter)),
      image_(DirectlyWritableImage(painter, deviceScale_, imageClip_)) {
    lines_.reserve(kBatchLimit + 4);
    points_.reserve(kBatchLimit);
}

void ShapeBatch::setColour(QRgb colour) {
    if (colour != colour_) {
        flush();
        colour_ = colour;
    }
}

void ShapeBatch::point(PixelPoint p) {
    if (!Finite(p) || p.x < bounds_.left || p.x > bounds_.right || p.y < bounds_.top ||
        p.y > bounds_.bottom) {
        return;
    }
    points_.emplace_back(View(p.x), View(p.y));
    flushWhenFull();
}

void ShapeBatch::line(PixelPoint a, PixelPoint b) {
    if (!Finite(a) || !Finite(b) || !ClipSegment(a, b, bounds_)) {
        return;
    }
    lines_.emplace_back(View(a.x), View(a.y), View(b.x), View(b.y));
    flushWhenFull();
}

void ShapeBatch::box(PixelPoint a, PixelPoint b) {
    if (!Finite(a) || !Finite(b)) {
        return;
    }
    const double left = std::min(a.x, b.x);
    const double right = std::max(a.x, b.x);
    const double top = std::min(a.y, b.y);
    const double bottom = std::max(a.y, b.y);
    if (right < bounds_.left || left > bounds_.right || bottom < bounds_.top ||
        top > bounds_.bottom) {
        return;
    }
    const int x0 = View(std::max(left, bounds_.left));
    const int x1 = View(std::min(right, bounds_.right));
    const int y0 = View(std::max(top, bounds_.top));
    const int y1 = View(std::min(bottom, bounds_.bottom));
    if (image_ != nullptr) {
        // Written at the flush (writeBoxSides).
        const int d = deviceScale_;
        boxes_.push_back(QRect(QPoint(x0 * d, y0 * d), QPoint(x1 * d, y1 * d)));
        return;
    }
    lines_.emplace_back(x0, y0, x1, y0);
    lines_.emplace_back(x1, y0, x1, y1);
    lines_.emplace_back(x1, y1, x0, y1);
    lines_.emplace_back(x0, y1, x0, y0);
    flushWhenFull();
}

void ShapeBatch::flush() {
    if (lines_.empty() && points_.empty() && boxes_.empty()) {
        return;
    }
    painter_.setPen(CosmeticPen(colour_));
    if (!lines_.empty()) {
        painter_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    }
    if (!points_.empty()) {
        painter_.drawPoints(points_.data(), static_cast<int>(points_.size()));
    }
    if (!boxes_.empty()) {
        writeBoxSides();
    }
    lines_.clear();
    points_.clear();
    boxes_.clear();
}

void ShapeBatch::writeBoxSides() {
    sortBoxesByTop();
    for (const QRect& box : boxes_) {
        const QRect visible = box & imageClip_;
        const bool leftVisible = visible.left() == box.left();
        const bool rightVisible = visible.right() == box.right();
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
            if (y == box.top() || y == box.bottom()) {
                std::fill_n(row + visible.left(), visible.width(), colour_);
                continue;
            }
            if (leftVisible) {
                row[box.left()] = colour_;
            }
            if (rightVisible) {
                row[box.right()] = colour_;
            }
        }
    }
}

void ShapeBatch::sortBoxesByTop() {
    const auto [lowest, highest] =
        std::minmax_element(boxes_.begin(), boxes_.end(),
                            [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    const int first = lowest->top();
    starts_.assign(static_cast<std::size_t>(highest->top() - first) + 2, 0);
    for (const QRect& box : boxes_) {
        ++starts_[static_cast<std::size_t>(box.top() - first) + 1];
    }
    std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
    sorted_.resize(boxes_.size());
    for (const QRect& box : boxes_) {
        sorted_[starts_[static_cast<std::size_t>(box.top() - first)]++] = box;
    }
    boxes_.swap(sorted_);
}

void ShapeBatch::flushWhenFull() {
    if (lines_.size() >= kBatchLimit || points_.size() >= kBatchLimit) {
        flush();
    }
}

} // namespace kmission
