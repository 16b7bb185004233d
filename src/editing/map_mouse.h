#pragma once

#include "editor_state.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QLabel;

namespace kmission {

class MapView;
class MissionHistory;
class PropertiesWindow;

// The three mouse handlers of the map view: the pointer readout, hover picking
// into the properties window, and dragging, which pans the view, moves the
// selected unit (move mode) or sets the node-shift offsets (node-shift mode).
// A move-mode drag is one step of the mission's history, however many moves
// it takes.
class MapMouse : public QObject {
    Q_OBJECT
public:
    // `properties` gives the properties window, creating it (hidden) when the
    // user has closed it.
    MapMouse(EditorState& state, MissionHistory& history, MapView& view, QLabel& readoutX,
             QLabel& readoutY, std::function<PropertiesWindow*()> properties);

    void mouseDown(float x, float z);
    void mouseUp(float x, float z);
    void mouseMove(float x, float z);

    bool buttonDown() const { return buttonDown_; }
    float grabX() const { return grabX_; }
    float grabZ() const { return grabZ_; }

private:
    void dragStep(float x, float z);
    void hoverPick(float x, float z);

    EditorState& state_;
    MissionHistory& history_;
    MapView& view_;
    QLabel& readoutX_;
    QLabel& readoutY_;
    std::function<PropertiesWindow*()> properties_;

    bool buttonDown_ = false;
    float grabX_ = 0.0f;
    float grabZ_ = 0.0f;
    // A drag step repaints synchronously; a move arriving meanwhile only
    // updates the readout and the hover pick.
    bool mouseBusy_ = false;

    // The selected unit's position texts when a move-mode drag began.
    struct DragStart {
        int entry = 0;
        int node = 0;
        std::string x;
        std::string z;
    };
    std::optional<DragStart> dragStart_;
};

} // namespace kmission
