#include "map_mouse.h"

#include "map_painter.h"
#include "map_view.h"
#include "mission_history.h"
#include "move_unit_command.h"
#include "properties_window.h"
#include "qt_text.h"
#include "text.h"
#include "unit_editing.h"

#include <QLabel>

#include <utility>

namespace kmission {

MapMouse::MapMouse(EditorState& state, MissionHistory& history, MapView& view, QLabel& readoutX,
                   QLabel& readoutY, std::function<PropertiesWindow*()> properties)
    : QObject(&view), state_(state), history_(history), view_(view), readoutX_(readoutX),
      readoutY_(readoutY), properties_(std::move(properties)) {
    connect(&view, &MapView::mousePressed, this, &MapMouse::mouseDown);
    connect(&view, &MapView::mouseReleased, this, &MapMouse::mouseUp);
    connect(&view, &MapView::mouseMoved, this, &MapMouse::mouseMove);
}

void MapMouse::mouseDown(float x, float z) {
    buttonDown_ = true;
    grabX_ = x;
    grabZ_ = z;
    dragStart_.reset();
    if (state_.moveMode && !state_.nodeShiftMode && SelectionIsUnit(state_)) {
        const auto unit = SelectedUnitTexts(state_);
        dragStart_ = DragStart{state_.selectedEntry, state_.selectedNode, unit->x, unit->y};
    }
}

// The drag as one step, unless the unit it began on is no longer selected (a
// mission was opened meanwhile).
void MapMouse::mouseUp(float, float) {
    buttonDown_ = false;
    if (!dragStart_ || !SelectionIsUnit(state_) || state_.selectedEntry != dragStart_->entry ||
        state_.selectedNode != dragStart_->node) {
        dragStart_.reset();
        return;
    }
    const auto unit = SelectedUnitTexts(state_);
    const DragStart start = *std::exchange(dragStart_, std::nullopt);
    history_.record(new MoveUnitCommand(
        history_, {{start.entry, start.node + kUnitXOffset, start.x, unit->x},
                   {start.entry, start.node + kUnitZOffset, start.z, unit->y}}));
}

void MapMouse::mouseMove(float x, float z) {
    readoutX_.setText(QString::fromStdString(ReadoutText(x)));
    readoutY_.setText(QString::fromStdString(ReadoutText(z)));
    if (!state_.mapLoaded) {
        return;
    }
    if (!mouseBusy_) {
        mouseBusy_ = true;
        if (buttonDown_) {
            dragStep(x, z);
        }
        mouseBusy_ = false;
    }
    if (!state_.moveMode) {
        hoverPick(x, z);
    }
}

void MapMouse::dragStep(float x, float z) {
    if (state_.nodeShiftMode) {
        SetNodeShift(state_, x, z, grabX_, grabZ_);
    } else if (state_.moveMode) {
        // The mission being read replaces this one; nothing is written meanwhile.
        const QRect before = SelectedUnitArea(state_, view_.size());
        if (state_.loadInProgress || !MoveSelectedUnit(state_, x, z)) {
            return;
        }
        const auto unit = SelectedUnitTexts(state_);
        properties_()->showPosition(unit->x, unit->y);
        // Only the unit's box changes: a large, dense view is not copied
        // again for every step.
        view_.repaint(before | SelectedUnitArea(state_, view_.size()));
        return;
    } else {
        PanView(state_, x, z, grabX_, grabZ_);
    }
    view_.repaintNow();
}

void MapMouse::hoverPick(float x, float z) {
    const auto hit = PickUnit(state_.mission, x, z);
    if (!hit) {
        return;
    }
    state_.selectedEntry = hit->entry;
    state_.selectedNode = hit->node;
    properties_()->showUnit(*SelectedUnitTexts(state_));
}

} // namespace kmission
