#include "map_view.h"

#include "map_painter.h"

#include <QMouseEvent>
#include <QPainter>

namespace kmission {

MapView::MapView(const EditorState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("Picture1"));
    setMouseTracking(true);
    // Every pixel is painted by PaintMapView.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapView::setMapSurface(const QImage& surface) {
    surface_ = surface;
    update();
}

WorldPoint MapView::worldAt(QPointF widgetPosition) const {
    const ViewTransform transform(state_.viewRect, DrawingAreaSize({width(), height()}));
    return transform.toWorld({widgetPosition.x() - kViewBorder, widgetPosition.y() - kViewBorder});
}

void MapView::repaintNow() {
    repaint();
}

QSize MapView::sizeHint() const {
    return {kMapViewSize.width, kMapViewSize.height};
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintMapView(painter, state_, surface_, size(), palette().color(QPalette::Button), &layers_);
}

void MapView::mousePressEvent(QMouseEvent* event) {
    const WorldPoint world = worldAt(event->position());
    emit mousePressed(static_cast<float>(world.x), static_cast<float>(world.z));
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const WorldPoint world = worldAt(event->position());
    emit mouseMoved(static_cast<float>(world.x), static_cast<float>(world.z));
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    const WorldPoint world = worldAt(event->position());
    emit mouseReleased(static_cast<float>(world.x), static_cast<float>(world.z));
}

} // namespace kmission
