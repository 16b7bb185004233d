#pragma once

#include "editor_state.h"
#include "map_layer.h"
#include "view_transform.h"

#include <QImage>
#include <QWidget>

namespace kmission {

// The map view `Picture1`: paints the shared editor state with PaintMapView
// and reports every mouse press, move and release (any button) in world units,
// converted with the same transform that drawing uses. It has no wheel or
// keyboard handling; what a mouse event does is the editor's business.
class MapView : public QWidget {
    Q_OBJECT

public:
    // `state` must outlive the view; the view only reads it.
    explicit MapView(const EditorState& state, QWidget* parent = nullptr);

    // The hidden image surface `Picture2` whose top-left 640 x 480 is the map
    // picture; a null image draws no picture.
    void setMapSurface(const QImage& surface);
    const QImage& mapSurface() const { return surface_; }

    // The world position under a widget position (border included).
    WorldPoint worldAt(QPointF widgetPosition) const;

    // Repaints before returning, as every drag step needs.
    void repaintNow();

    QSize sizeHint() const override;

signals:
    void mousePressed(float x, float z);
    void mouseMoved(float x, float z);
    void mouseReleased(float x, float z);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const EditorState& state_;
    QImage surface_;
    MapLayers layers_; // the view as last painted, kept for repaints
};

} // namespace kmission
