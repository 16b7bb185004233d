#include "mission_history.h"

#include "node_texts_command.h"

#include <QAction>
#include <QWidget>

namespace kmission {

MissionHistory::MissionHistory(EditorState& state, QObject* parent)
    : QObject(parent), state_(state), stack_(this) {
    undo_ = stack_.createUndoAction(this);
    undo_->setObjectName("undo");
    undo_->setShortcuts(QKeySequence::Undo);
    redo_ = stack_.createRedoAction(this);
    redo_->setObjectName("redo");
    // Both the usual redo keys, whatever the desktop's own convention.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        if (!redoKeys.contains(key)) {
            redoKeys.append(key);
        }
    }
    redo_->setShortcuts(redoKeys);
}

void MissionHistory::record(NodeTextsCommand* command) {
    stack_.push(command);
}

void MissionHistory::addShortcutsTo(QWidget* window) {
    window->addAction(undo_);
    window->addAction(redo_);
}

} // namespace kmission
