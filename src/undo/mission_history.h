#pragma once

#include "editor_state.h"

#include <QObject>
#include <QUndoStack>

class QAction;
class QWidget;

namespace kmission {

class NodeTextsCommand;

// The changes made to the open mission, for undo and redo. Each step holds
// only the node texts it changed; opening another mission clears them all.
// Undo and redo are keyboard commands (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y) of
// every window they are added to, not menu items.
class MissionHistory : public QObject {
    Q_OBJECT
public:
    MissionHistory(EditorState& state, QObject* parent);

    EditorState& state() const { return state_; }
    QUndoStack& stack() { return stack_; }

    // Records a change the editor has just made: its texts are already in place.
    void record(NodeTextsCommand* command);
    void clear() { stack_.clear(); }

    // Makes undo and redo work while `window` (or a control in it) has the focus.
    void addShortcutsTo(QWidget* window);

signals:
    // A unit's values changed: the map view and the properties window show them.
    void unitTextsChanged();
    // The mission's name changed: the window title shows it.
    void missionNameChanged();
    // Environment values changed: an open environment dialog shows them.
    void environmentChanged();

private:
    EditorState& state_;
    QUndoStack stack_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace kmission
